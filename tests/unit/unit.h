#pragma once

#include "tests/host/expected.h"
#include "tests/host/invariants.h"

#include "installer/installer.h"

#include <gtest/gtest.h>

#include <ostream>

// Serves w to the installer for the life of the scope.
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

// A multi-string from its strings, with the empty string that ends it.
inline std::string MultiString(std::initializer_list<std::string> strings)
{
    std::string bytes;
    for (const std::string &s : strings)
        bytes += s + '\0';
    return bytes + '\0';
}

inline Device Ids(std::initializer_list<std::string> strings)
{
    return {true, MultiString(strings)};
}

inline const Device kNoIds = {false, ""};
