#include "platform/ui/PromptService.h"

#include "platform/ui/QtPrompts.h"

namespace platform::ui {

namespace {
PromptService *override_ = nullptr;
}

PromptService *currentPromptOverride() { return override_; }

PromptService &prompts() {
    if (override_)
        return *override_;
    static QtPrompts qt;
    return qt;
}

void setPrompts(PromptService *service) { override_ = service; }

} // namespace platform::ui
