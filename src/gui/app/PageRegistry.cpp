#include "gui/app/PageRegistry.h"

#include <utility>

namespace qx7::gui {

PageRegistry& PageRegistry::Global() {
    // Built on first use, so registrations from any file's static objects find it ready.
    static PageRegistry registry;
    return registry;
}

bool PageRegistry::Add(PageId page, std::string className, PageMaker make) {
    if (entries_.count(page) != 0) {
        duplicates_.push_back(std::to_string(PageNumber(page)) + " " + className);
        return false;
    }
    entries_[page] = Entry{page, std::move(className), std::move(make)};
    return true;
}

const PageRegistry::Entry* PageRegistry::Find(PageId page) const {
    const auto it = entries_.find(page);
    return it == entries_.end() ? nullptr : &it->second;
}

}  // namespace qx7::gui
