#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

// The window tests work the windows through their controls, found by the object names the
// forms give them. A control that is not there fails the test: a renamed control would leave
// its handler unwired.
template <class T = QWidget> T *namedControl(const QObject *window, const QString &name)
{
    T *c = window->findChild<T *>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

template <class T = QWidget> T *namedControl(const QObject *window, const char *name)
{
    return namedControl<T>(window, QString::fromLatin1(name));
}
