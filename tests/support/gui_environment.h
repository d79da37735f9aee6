#pragma once

#include <QGuiApplication>

#include <gtest/gtest.h>

// The plan drawing tests need a GUI application for fonts and painting (offscreen platform).
class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (QCoreApplication::instance())
            return;
        static int argc = 1;
        static char name[] = "linemap_tests";
        static char *argv[] = {name, nullptr};
        m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QGuiApplication *m_app = nullptr;
};

inline ::testing::Environment *const guiEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
