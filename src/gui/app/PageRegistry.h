#pragma once
// Which class makes the page of each dialog template. A page's .cpp registers its class with
// QX7_REGISTER_WIZARD_PAGE; the sheet asks the registry for every template of its page table.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/app/PageFlow.h"

namespace qx7::gui {

struct PageContext;
class WizardPage;

using PageMaker = std::function<WizardPage*(const PageContext&)>;

class PageRegistry {
  public:
    struct Entry {
        PageId templateId{};
        std::string className;
        PageMaker make;
    };

    // The pages of the program, filled by the registrations before main runs.
    static PageRegistry& Global();

    // False (and the first registration kept) when the page already has a class.
    bool Add(PageId page, std::string className, PageMaker make);
    // nullptr when no class is registered for the page.
    const Entry* Find(PageId page) const;

    const std::map<PageId, Entry>& Entries() const { return entries_; }
    // "templateId className" of every registration refused as a second one.
    const std::vector<std::string>& Duplicates() const { return duplicates_; }

  private:
    std::map<PageId, Entry> entries_;
    std::vector<std::string> duplicates_;
};

}  // namespace qx7::gui

// In the page's .cpp, inside the class's namespace:
// QX7_REGISTER_WIZARD_PAGE(ConnectionPage, PageId::kConnection)
// The class needs a constructor taking (const PageContext&); the name registered is the
// unqualified class name, which the page table's windowClass must match.
#define QX7_REGISTER_WIZARD_PAGE(ClassName, page)                                   \
    namespace {                                                                     \
    [[maybe_unused]] const bool qx7RegisteredPage##ClassName =                      \
        ::qx7::gui::PageRegistry::Global().Add(                                     \
            (page), #ClassName,                                                     \
            [](const ::qx7::gui::PageContext& context) -> ::qx7::gui::WizardPage* { \
                return new ClassName(context);                                      \
            });                                                                     \
    }                                                                               \
    static_assert(true)
