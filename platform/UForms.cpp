#include "UForms.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget>& mainForm() {
    static QPointer<QWidget> form;
    return form;
}
} // namespace

QWidget* MainForm() {
    return mainForm().data();
}

void SetMainForm(QWidget* Form) {
    mainForm() = Form;
}
