#pragma once

#include "support/app_environment.h"
#include "support/project_folder.h"
#include "support/window_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

// The editors' tests start the program, create a new project through File > New as a user
// would, and then work the windows through their controls, found by object name.
class EditorProject : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        const QString program = m_dir.filePath("program");
        ASSERT_TRUE(QDir().mkpath(program));
        writeProgramDefaults(program, {R"(1,"Mo-Fr","1111100","Montag bis Freitag")", R"(2,"Sa","0000010","Samstag")"});
        const QString dir = m_dir.filePath("netz");
        ASSERT_TRUE(QDir().mkpath(dir));
        d.fileNames.push_back(dir + "/netz.ppr");
        QTimer::singleShot(0, [] {
            if (auto *notice = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                notice->accept();
        });
        fmMain->findChild<QToolButton *>("sbNew")->click();
        ASSERT_EQ(ProjectDir, dir);
    }

    QString file(const QString &name) const { return ProjectDir + "/" + name; }
    // The data lines of a table file (between the field names and the count), or "<missing>".
    QStringList rows(const QString &name) const
    {
        const QByteArray b = fileBytes(file(name));
        if (b == "<missing>")
            return {"<missing>"};
        QStringList lines = ansi::decode(b).split("\r\n", Qt::SkipEmptyParts);
        return lines.mid(3, lines.size() - 4);
    }
    bool workButtonShown(const QString &name) const { return !fmMain->findChild<QWidget *>(name)->isHidden(); }

    template <class T = QWidget> static T *child(QWidget *window, const QString &name)
    {
        return namedControl<T>(window, name);
    }
    static bool shown(QWidget *window, const QString &name) { return !child(window, name)->isHidden(); }
    // Clicks the named button; a hidden one fails the test, as no user could click it.
    template <class Button = QAbstractButton> static void press(QWidget *window, const QString &name)
    {
        auto *b = child<Button>(window, name);
        ASSERT_FALSE(b->isHidden()) << name.toStdString();
        b->click();
    }
    // The entries of a list, top to bottom.
    static QStringList texts(const QListWidget *list)
    {
        QStringList t;
        for (int i = 0; i < list->count(); ++i)
            t << list->item(i)->text();
        return t;
    }
    // No entry is selected or current, so Edit and Delete have nothing to act on.
    static void expectNothingChosen(const QListWidget *list)
    {
        EXPECT_TRUE(list->selectedItems().isEmpty());
        EXPECT_EQ(list->currentRow(), -1);
    }
    // Makes the entry with exactly this text current; it must be listed once.
    static void select(QListWidget *list, const QString &name)
    {
        const auto items = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        list->setCurrentItem(items[0]);
    }

    QTemporaryDir m_dir;
    ScriptedDialogs d;
};
