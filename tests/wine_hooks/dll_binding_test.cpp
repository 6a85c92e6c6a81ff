// SPDX-License-Identifier: GPL-3.0-or-later
// The three exports as the program binds them: through the import library, by name, with
// the real SetWindowsHookExA behind them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "TavrelHooks.h"

namespace {

MDTAG Take() {
    MDTAG record{9.0f, 9.0f, 9, 9, 9};
    EXPECT_EQ(GetData(&record), 1);
    return record;
}

void ExpectZero(const MDTAG& r) {
    EXPECT_EQ(r.moveDistance, 0.0f);
    EXPECT_FALSE(std::signbit(r.moveDistance));
    EXPECT_EQ(r.dragDistance, 0.0f);
    EXPECT_FALSE(std::signbit(r.dragDistance));
    EXPECT_EQ(r.clicks, 0);
    EXPECT_EQ(r.doubleClicks, 0);
    EXPECT_EQ(r.keys, 0);
}

TEST(DllBindingTest, ExportsAreBoundByNameAtTheirOrdinals) {
    HMODULE module = GetModuleHandleA("TavrelHooks.dll");
    ASSERT_NE(module, nullptr) << "the program should have the library loaded at start";
    const struct {
        const char* name;
        WORD ordinal;
    } exports[] = {{"GetData", 1}, {"InitHooks", 2}, {"KillHooks", 3}};
    for (const auto& e : exports) {
        SCOPED_TRACE(e.name);
        const FARPROC byName = GetProcAddress(module, e.name);
        const FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(e.ordinal));
        ASSERT_NE(byName, nullptr);
        EXPECT_EQ(reinterpret_cast<void*>(byName), reinterpret_cast<void*>(byOrdinal));
    }
}

TEST(DllBindingTest, InstallCountFollowsTheResultsTable) {
    ExpectZero(Take());  // no hooks yet
    EXPECT_EQ(KillHooks(), 0);
    EXPECT_EQ(InitHooks(), 1);
    EXPECT_EQ(InitHooks(), 0);
    ExpectZero(Take());
    ExpectZero(Take());
    EXPECT_EQ(KillHooks(), 1);
    EXPECT_EQ(KillHooks(), 0);
    EXPECT_EQ(InitHooks(), 1);  // installs afresh after the last KillHooks
    EXPECT_EQ(KillHooks(), 1);
}

}  // namespace
