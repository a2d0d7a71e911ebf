#pragma once

#include <cstddef>

#include "RIZozivirod/Utilities/Storage/StringT.h"

// The program's own resources (skins, string tables, images), compiled into it from files of
// the source tree by the build's embed_resources step and found by type and name.
namespace Platform {

// Resource types of the framework.
inline constexpr char16_t kImageResourceType[] = u"GDIPLUS";
inline constexpr char16_t kXmlResourceType[] = u"QVXML";

// One entry of a generated table. Type and name are ASCII.
struct EmbeddedResource {
    const char* type;
    const char* name;
    const unsigned char* bytes;
    size_t length;
};

// Adds a module's table; generated code calls it as the module is loaded. The table stays in
// use for the life of the process. When two tables hold one type and name, the first added wins.
void RegisterEmbeddedResources(const EmbeddedResource* table, size_t count);

// The bytes of a resource, valid for the life of the process; empty when there is none.
struct ModuleResource {
    const unsigned char* bytes = nullptr;
    size_t length = 0;

    explicit operator bool() const { return bytes != nullptr; }
};

// Type and name compare with ASCII letters of either case, as resource names do.
ModuleResource FindModuleResource(const QV::WString& type, const QV::WString& name);

// A reference to a resource begins with "::"; any other text names a file.
bool IsResourceReference(const QV::WString& reference);
// The resource name a "::" reference stands for: the rest of the text upper-cased, each "."
// and " " made "_" ("::ce.png" names "CE_PNG").
QV::WString ResourceNameFromReference(const QV::WString& reference);

}  // namespace Platform
