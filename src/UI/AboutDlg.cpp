#include "UI/AboutDlg.h"

#include <exception>

#include "RIZozivirod/System/Version.h"

LAboutDlg::LAboutDlg(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LDialog(parent, name) {}

LAboutDlg::~LAboutDlg() = default;

QV::WString LAboutDlg::GetVersionString(const QV::WString& key) {
    return QV::Version().GetStringValue(key);
}

int32_t LAboutDlg::Initialize() {
    int32_t result = QV::LDialog::Initialize();
    if (result < 0) {
        return result;
    }
    struct Field {
        const QV::WChar* label;
        const QV::WChar* key;
    };
    constexpr Field kFields[] = {{u"labelProduct", u"ProductVersion"},
                                 {u"labelCopyright", u"LegalCopyright"}};
    for (const Field& field : kFields) {
        const QV::RCPtr<QV::LControl> label = FindChild(QV::WString(field.label));
        if (!label) {
            continue;
        }
        QV::WString text;
        try {
            text = GetVersionString(QV::WString(field.key));
        } catch (const std::exception&) {
            // A program without a readable version block still shows its about box.
        }
        result = label->SetText(text);
        if (result < 0) {
            return result;
        }
    }
    return result;
}
