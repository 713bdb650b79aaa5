#pragma once

#include <QDialog>

// "Info": the program's name and version, the libraries it is built on with their licences,
// and where to find the program on the web.
class TfrmAbout final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* aParent = nullptr);
};
