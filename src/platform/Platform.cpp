#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <cassert>

namespace tf {

namespace {
std::unique_ptr<Platform> &slot()
{
    static std::unique_ptr<Platform> instance;
    return instance;
}
} // namespace

Platform &platform()
{
    auto &p = slot();
    assert(p && "no platform installed");
    return *p;
}

void setPlatform(std::unique_ptr<Platform> p)
{
    slot() = std::move(p);
}

std::unique_ptr<Platform> replacePlatform(std::unique_ptr<Platform> p)
{
    auto old = std::move(slot());
    slot() = std::move(p);
    return old;
}

QString programFile(const QString &name)
{
    return QDir(platform().programFolder()).filePath(name);
}

MessageAnswer showMessage(QWidget *parent, MessageIcon icon, const QString &text, const QString &title,
                          MessageButtons buttons, std::optional<MessageAnswer> defaultButton)
{
    MessageRequest r;
    r.icon = icon;
    r.title = title;
    r.text = text;
    r.buttons = buttons;
    r.defaultButton = defaultButton;
    return platform().message(r, parent);
}

bool askBeforeLoss(QWidget *parent, const QString &text, const QString &title)
{
    return showMessage(parent, MessageIcon::Question, text, title, MessageButtons::YesNo, MessageAnswer::No) ==
           MessageAnswer::Yes;
}

} // namespace tf
