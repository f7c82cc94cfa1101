#include "categories/RegisterWindows.h"

#include "categories/CategoryAssign.h"
#include "categories/CategoryForm.h"
#include "categories/CatgAssignAll.h"
#include "categories/CriteriaForm.h"
#include "platform/ui/Forms.h"
#include "songlist/OtherWindows.h"

namespace categories {

namespace ui = platform::ui;
using songlist::OtherWindows;

namespace {
template <class T> void registerModal(const char *name) {
    OtherWindows::set(QString::fromLatin1(name), [](const QString &) { ui::showModal(ui::form<T>()); });
}
} // namespace

void registerWindows() {
    registerModal<CategoryForm>(OtherWindows::CategoryForm);
    registerModal<CategoryAssign>(OtherWindows::CategoryAssign);
    registerModal<CatgAssignAll>(OtherWindows::CatgAssignAll);
    registerModal<CriteriaForm>(OtherWindows::CriteriaForm);
}

} // namespace categories
