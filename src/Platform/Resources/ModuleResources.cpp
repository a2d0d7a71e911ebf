#include "Platform/Resources/ModuleResources.h"

#include <mutex>
#include <vector>

namespace Platform {

namespace {

struct Registry {
    std::mutex lock;
    std::vector<const EmbeddedResource*> entries;
};

// Made on first use and never destroyed: tables register while modules load, in any order.
Registry& GetRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

char16_t FoldAscii(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool SameName(const char* entry, const QV::WString& text) {
    const char16_t* units = text.GetString();
    size_t i = 0;
    for (; entry[i] != 0; ++i) {
        if (units[i] == 0 || FoldAscii(static_cast<unsigned char>(entry[i])) != FoldAscii(units[i])) {
            return false;
        }
    }
    return units[i] == 0;
}

}  // namespace

void RegisterEmbeddedResources(const EmbeddedResource* table, size_t count) {
    Registry& registry = GetRegistry();
    const std::lock_guard<std::mutex> guard(registry.lock);
    for (size_t i = 0; i < count; ++i) {
        registry.entries.push_back(&table[i]);
    }
}

ModuleResource FindModuleResource(const QV::WString& type, const QV::WString& name) {
    Registry& registry = GetRegistry();
    const std::lock_guard<std::mutex> guard(registry.lock);
    for (const EmbeddedResource* entry : registry.entries) {
        if (SameName(entry->type, type) && SameName(entry->name, name)) {
            return {entry->bytes, entry->length};
        }
    }
    return {};
}

bool IsResourceReference(const QV::WString& reference) {
    const char16_t* text = reference.GetString();
    return text[0] == u':' && text[1] == u':';
}

QV::WString ResourceNameFromReference(const QV::WString& reference) {
    QV::WString name = reference.Mid(2).ToUpper();
    name.Replace(u". ", u'_');
    return name;
}

}  // namespace Platform
