#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Dialog.h"

// The about box ("dialogAbout"): the editor's name and logos from the skin, and the product
// version and copyright line of the program's version block in "labelProduct" and
// "labelCopyright". It ends with "buttonOK" or the close box. User-interface thread.
class LAboutDlg : public QV::LDialog {
public:
    LAboutDlg(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // The dialog and its standard buttons, then the two labels filled from the version block.
    // A label the skin lacks is left out and a value the block lacks shows as an empty label:
    // the box still opens. The result of the last text set, else the dialog's.
    int32_t Initialize() override;

protected:
    ~LAboutDlg() override;

    // The version block's value of key ("ProductVersion", "LegalCopyright"); empty when the
    // block has none.
    virtual QV::WString GetVersionString(const QV::WString& key);
};
