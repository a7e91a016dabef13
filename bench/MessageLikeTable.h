#pragma once
// The table the scan benchmarks read: T, shaped like a message table (texts of
// 90 to 229 letters, numbers, a real, a small blob), `rows` rows drawn from
// `rng`, then every tenth row deleted (ids ending in 3) so that free space
// holds rows to carve.

#include "support/SqliteFixture.h"

#include <random>
#include <string>

namespace orvelle::bench {

inline void fillMessageLikeTable(test::SqliteFixture& db, int rows, std::mt19937& rng) {
    db.exec("CREATE TABLE T(id INTEGER PRIMARY KEY, guid TEXT, body TEXT, handle INTEGER, date INTEGER, "
            "rate REAL, flags INTEGER, data BLOB)");
    db.insertRows("T", rows, [&](int i) {
        std::string body(90 + rng() % 140, 'a');
        for (char& c : body)
            c = static_cast<char>('a' + rng() % 26);
        return test::SqlRow{test::SqlValue::null(),
                            test::SqlValue::text("GUID-" + std::to_string(1000000000 + i)),
                            test::SqlValue::text(body),
                            test::SqlValue::of(rng() % 5000),
                            test::SqlValue::of(700000000 + i),
                            test::SqlValue::ofReal(i / 3.0 + 0.1),
                            test::SqlValue::of(rng() % 2),
                            test::SqlValue::blob(std::string(rng() % 16, 'b'))};
    });
    db.exec("DELETE FROM T WHERE id % 10 = 3");
}

} // namespace orvelle::bench
