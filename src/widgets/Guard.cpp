#include "Guard.h"

#include "db/DbError.h"
#include "db/Refusal.h"
#include "widgets/DataGrid.h"
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

bool guard(Prompt &prompt, QWidget *screen, const std::function<void()> &action,
           const std::function<void(const QString &field)> &focusField)
{
    QString field;
    const bool done = guard(prompt, screen, [&] {
        try {
            action();
        } catch (const Refusal &r) {
            field = r.field();
            throw;
        }
    });
    if (!done && !field.isEmpty())
        focusField(field);
    return done;
}

void guard(Prompt &prompt, DataGrid *grid)
{
    QObject::connect(grid, &DataGrid::queryFailed, grid, [&prompt, grid](const QString &text) {
        prompt.message(grid->window(), text, Prompt::Icon::Error);
    });
}
