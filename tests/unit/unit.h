#pragma once

#include "tests/host/expected.h"
#include "tests/host/invariants.h"

#include "installer/installer.h"

#include <gtest/gtest.h>

#include <ostream>

// What the last error holds before a call whose code is checked: no code of the call's own.
inline constexpr DWORD kSentinel = 0xdeadbeef;

// Serves w to both programs for the life of the scope.
struct WorldScope {
    explicit WorldScope(World &w) { world = &w; }
    ~WorldScope() { world = nullptr; }
};

// Every table row is a test of its own, named by the row: names are identifiers, so
// `ctest -N` lists them and --gtest_filter picks them.
struct RowName {
    template <class Row>
    std::string operator()(const testing::TestParamInfo<Row> &info) const
    {
        return info.param.name;
    }
};

// A row as gtest shows it in a failure: by its name.
#define PRINTS_AS_NAME(Row) \
    inline void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

