#include "Platform/Desktop/OpenFileName.h"

#include <ostream>
#include <string>
#include <vector>

#include "Platform/DebugOutput.h"
#include "Platform/Desktop/DesktopShell.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace Platform {

namespace {

std::string ToUtf8(const char16_t* text) {
    if (text == nullptr) {
        return {};
    }
    return QV::WString(text).ToUTF8().GetString();
}

// False when the text is not well-formed UTF-8 (a file name the wide side cannot hold).
bool ToUtf16(const std::string& text, std::u16string& out) {
    QV::RCPtr<QV::LIBuffer> buffer;
    if (QV::WString::AssignUTF8(buffer, text.c_str(), static_cast<int32_t>(text.size())) != QV::S_OK) {
        return false;
    }
    out = static_cast<const char16_t*>(buffer->GetBytes());
    return true;
}

std::vector<FileFilter> ReadFilters(const char16_t* filter) {
    std::vector<FileFilter> filters;
    while (filter != nullptr && filter[0] != 0) {
        const char16_t* patterns = filter + QV::Text::Length(filter) + 1;
        if (patterns[0] == 0) {
            break;
        }
        FileFilter entry{ToUtf8(filter), {}};
        std::string list = ToUtf8(patterns);
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(';', start);
            if (end == std::string::npos) {
                end = list.size();
            }
            std::string pattern = list.substr(start, end - start);
            const size_t first = pattern.find_first_not_of(' ');
            if (first != std::string::npos) {
                entry.patterns.push_back(pattern.substr(first, pattern.find_last_not_of(' ') + 1 - first));
            }
            start = end + 1;
        }
        filters.push_back(std::move(entry));
        filter = patterns + QV::Text::Length(patterns) + 1;
    }
    return filters;
}

// The folder of a path: everything before its last "/" ("/" for a file at the root).
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The extension to give a saved name without one: the default's text after its last ".",
// unless that is a pattern.
std::string DefaultExtension(const char16_t* defaultExtension) {
    std::string extension = ToUtf8(defaultExtension);
    const size_t dot = extension.rfind('.');
    if (dot != std::string::npos) {
        extension.erase(0, dot + 1);
    }
    return extension.find_first_of("*?") == std::string::npos ? extension : std::string();
}

void ReportFileDialog(const char* what) {
    DebugOutput::Get().GetNarrowStream() << "File dialog : " << what << std::endl;
}

bool Fill(char16_t* out, uint32_t capacity, const std::vector<std::u16string>& strings, bool listEnd) {
    size_t needed = listEnd ? 1 : 0;
    for (const std::u16string& text : strings) {
        needed += text.size() + 1;
    }
    if (out == nullptr || needed > capacity) {
        return false;
    }
    for (const std::u16string& text : strings) {
        out = std::copy(text.begin(), text.end(), out);
        *out++ = 0;
    }
    if (listEnd) {
        *out = 0;
    }
    return true;
}

bool Run(OpenFileName& record, FileChooserRequest::Mode mode) {
    FileChooserRequest request;
    request.mode = mode;
    request.owner = record.owner;
    request.title = ToUtf8(record.title);
    request.filters = ReadFilters(record.filter);
    request.folder = ToUtf8(record.initialFolder);
    if (mode == FileChooserRequest::Mode::kSave && record.file != nullptr) {
        // The proposed name ends at its zero or at the end of the buffer.
        std::u16string proposed;
        for (uint32_t i = 0; i < record.maxFile && record.file[i] != 0; ++i) {
            proposed += record.file[i];
        }
        request.fileName = ToUtf8(proposed.c_str());
    }
    request.confirmOverwrite = (record.flags & OFN_OVERWRITEPROMPT) != 0;

    FileChooserAnswer answer = GetDesktopShell().ChooseFiles(request);
    if (!answer.chosen || answer.paths.empty()) {
        return false;
    }
    if (mode != FileChooserRequest::Mode::kOpenMultiple) {
        answer.paths.resize(1);
    }
    for (const std::string& path : answer.paths) {
        if (path.empty() || path[0] != '/') {
            ReportFileDialog("the chooser answered with a path that is not absolute");
            return false;
        }
    }
    if (mode == FileChooserRequest::Mode::kSave) {
        const std::string extension = DefaultExtension(record.defaultExtension);
        if (!extension.empty() && NameOf(answer.paths[0]).find('.') == std::string::npos) {
            answer.paths[0] += "." + extension;
        }
    }

    std::vector<std::string> strings;
    if (answer.paths.size() == 1) {
        strings.push_back(answer.paths[0]);
    } else {
        // The folder the files share, then each file's path inside it.
        std::string folder = FolderOf(answer.paths[0]);
        for (const std::string& path : answer.paths) {
            while (!folder.empty() && folder != "/" &&
                   path.compare(0, folder.size() + 1, folder + "/") != 0) {
                folder = FolderOf(folder);
            }
        }
        strings.push_back(folder);
        for (const std::string& path : answer.paths) {
            strings.push_back(path.substr(folder == "/" ? 1 : folder.size() + 1));
        }
    }
    std::vector<std::u16string> wide(strings.size());
    for (size_t i = 0; i < strings.size(); ++i) {
        if (!ToUtf16(strings[i], wide[i])) {
            ReportFileDialog("a chosen path is not UTF-8 text");
            return false;
        }
    }
    const bool list = (record.flags & OFN_ALLOWMULTISELECT) != 0;
    if (!Fill(record.file, record.maxFile, wide, list)) {
        if (record.file != nullptr && record.maxFile > 0) {
            record.file[0] = 0;
        }
        ReportFileDialog("the chosen path does not fit in the file buffer");
        return false;
    }
    if (answer.paths.size() == 1 && record.fileTitle != nullptr) {
        std::u16string title;
        if (ToUtf16(NameOf(answer.paths[0]), title) &&
            !Fill(record.fileTitle, record.maxFileTitle, {title}, false) && record.maxFileTitle > 0) {
            record.fileTitle[0] = 0;
        }
    }
    return true;
}

}  // namespace

bool GetOpenFileName(OpenFileName& record) {
    return Run(record, (record.flags & OFN_ALLOWMULTISELECT) != 0 ? FileChooserRequest::Mode::kOpenMultiple
                                                                  : FileChooserRequest::Mode::kOpen);
}

bool GetSaveFileName(OpenFileName& record) {
    return Run(record, FileChooserRequest::Mode::kSave);
}

}  // namespace Platform
