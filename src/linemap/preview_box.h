#pragma once

#include <QPainter>
#include <QWidget>

#include <functional>

// A paint box: a plain widget whose painting is done by its owner.
class PreviewBox : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewBox(QWidget *parent = nullptr) : QWidget(parent) {}

    std::function<void(QPainter &)> onPaint;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (onPaint)
            onPaint(painter);
    }
};
