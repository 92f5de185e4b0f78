#include "gui/app/PageRegistry.h"

#include <utility>

namespace qx7::gui {

PageRegistry& PageRegistry::Global() {
    // Built on first use, so registrations from any file's static objects find it ready.
    static PageRegistry registry;
    return registry;
}

bool PageRegistry::Add(int templateId, std::string className, PageMaker make) {
    if (entries_.count(templateId) != 0) {
        duplicates_.push_back(std::to_string(templateId) + " " + className);
        return false;
    }
    entries_[templateId] = Entry{templateId, std::move(className), std::move(make)};
    return true;
}

const PageRegistry::Entry* PageRegistry::Find(int templateId) const {
    const auto it = entries_.find(templateId);
    return it == entries_.end() ? nullptr : &it->second;
}

}  // namespace qx7::gui
