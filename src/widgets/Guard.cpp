#include "Guard.h"

#include "db/DbError.h"
#include "db/Refusal.h"
#include "widgets/Prompt.h"

bool guard(Prompt &prompt, QWidget *screen, const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const Refusal &r) {
        prompt.message(screen, r.text(), Prompt::Icon::Warning);
    } catch (const DbError &e) {
        prompt.message(screen, e.text(), Prompt::Icon::Error);
    }
    return false;
}
