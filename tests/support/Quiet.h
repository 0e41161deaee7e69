#pragma once

#include <QTest>

// For what must not happen: runs the event loop for the whole of ms and says whether
// happened() stayed false. It returns as soon as happened() turns true.
template <typename Happened>
bool nothingHappensWithin(int ms, Happened happened)
{
    return !QTest::qWaitFor(happened, ms);
}
