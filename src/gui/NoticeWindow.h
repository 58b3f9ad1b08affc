#pragma once

#include "gui/Notice.h"

#include <QWidget>

// A notice from the maker: the online help (who made the program and how to reach them) or
// the online upgrade (how to ask for new features, kept on top). A notice is only hidden,
// never destroyed, so a second opening brings the same window forward.
class NoticeWindow : public QWidget
{
    Q_OBJECT
public:
    explicit NoticeWindow(Notice notice, QWidget *parent = nullptr);

    // Shows the notice centred, or only brings it forward when it is already up.
    void showNotice();

private:
    void buildHelp();
    void buildUpgrade();
};
