#pragma once

#include <QTest>

#include <tuple>

// A Qt Test table whose rows are tuples, so that a test fetches its row in one line:
//   using C = Cases<int, QString>;      // count, text
//   void t_data() { auto row = C::Declare(); row("one", 1, "1"); }
//   void t() { auto [count, text] = C::Fetch(); ... }
template <typename... T> struct Cases {
    using Row = std::tuple<T...>;
    static auto Declare() {
        QTest::addColumn<Row>("row");
        return [](const char* tag, T... values) { QTest::newRow(tag) << Row(values...); };
    }
    static Row Fetch() { return *static_cast<Row*>(QTest::qData("row", qMetaTypeId<Row>())); }
};
