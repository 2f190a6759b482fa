#pragma once

#include "app/mainwindow.h"
#include "recordingmessenger.h"

#include <QApplication>
#include <QTest>
#include <memory>

// A shown main window whose messages go to a recorder.
struct WindowFixture {
    WindowFixture()
        : window(std::make_unique<MainWindow>())
    {
        window->setMessenger(&messages);
        window->show();
        QApplication::setActiveWindow(window.get());
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(window.get());
    }

    MainWindow &w() { return *window; }

    RecordingMessenger messages;
    std::unique_ptr<MainWindow> window;
};
