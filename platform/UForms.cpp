#include "UForms.h"

#include <QCoreApplication>
#include <QPointer>
#include <QVariant>
#include <QWidget>

// The reference is kept on the application object, so that code loaded at
// run time (the weather panel's library, with its own copy of this unit)
// sees the same main form as the program.
namespace {
constexpr const char* MainFormProperty = "vornMainForm";
}

QWidget* MainForm() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    return qobject_cast<QWidget*>(
        app->property(MainFormProperty).value<QPointer<QObject>>().data());
}

void SetMainForm(QWidget* Form) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->setProperty(MainFormProperty, QVariant::fromValue(QPointer<QObject>(Form)));
}
