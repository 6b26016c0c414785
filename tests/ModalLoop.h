#pragma once
// Drives a modal loop from inside: the steps run once the window is shown, and a window the
// steps leave open is reported and hidden, so that the loop ends instead of hanging the test.

#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

inline void WhenShown(QWidget& window, std::function<void()> steps) {
    QTimer::singleShot(0, &window, [&window, steps] {
        if (QTest::qWaitFor([&] { return window.isVisible(); }))
            steps();
        if (!QTest::qWaitFor([&] { return !window.isVisible(); })) {
            ADD_FAILURE() << "the window is still open after the steps";
            window.hide();
        }
    });
}
