#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV::Testing {

// A temporary folder of XML documents written by a test, removed with the object.
class DocumentFiles {
public:
    DocumentFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "Documents.XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            mRoot = pattern;
        }
    }
    ~DocumentFiles() { std::filesystem::remove_all(mRoot); }
    DocumentFiles(const DocumentFiles&) = delete;
    DocumentFiles& operator=(const DocumentFiles&) = delete;

    // Writes the text to a file of that name and returns its path.
    WString Write(const std::string& name, const std::string& text) const {
        const std::string path = mRoot + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return WString(path.c_str());
    }

private:
    std::string mRoot;
};

}  // namespace QV::Testing
