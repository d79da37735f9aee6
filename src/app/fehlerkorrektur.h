#pragma once

#include <QDialog>

// The repair window: created at start-up, shown by no command.
class TfmFehlerkorrektur : public QDialog
{
    Q_OBJECT

public:
    explicit TfmFehlerkorrektur(QWidget *parent = nullptr);
};

extern TfmFehlerkorrektur *fmFehlerkorrektur;
