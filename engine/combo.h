// The ring / drop-down of the resource file: a combo box that says when its
// list is about to open (the port list refreshes its device names then).
#pragma once

#include <QComboBox>

class CviCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CviCombo(QWidget* parent = nullptr) : QComboBox(parent) {}
    void showPopup() override {
        emit popupAboutToShow();
        QComboBox::showPopup();
    }
signals:
    void popupAboutToShow();
};
