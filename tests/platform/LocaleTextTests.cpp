#include "LocaleText.h"

#include <gtest/gtest.h>

TEST(LocaleText, SortIgnoresCaseAndKeepsNamesThatDifferOnlyInCase) {
    const struct {
        QStringList Input;
        QStringList Sorted;
    } table[] = {
        {{}, {}},
        {{"b", "Zed", "A", "c"}, {"A", "b", "c", "Zed"}},
        {{"a.jpg", "B.jpg", "A.JPG"}, {"A.JPG", "a.jpg", "B.jpg"}},
        {{"A.JPG", "a.jpg"}, {"A.JPG", "a.jpg"}},
        {{"x", "X", "x"}, {"X", "x", "x"}},
    };
    for (const auto& row : table) {
        QStringList texts = row.Input;
        SortIgnoringCase(texts);
        EXPECT_EQ(texts, row.Sorted) << row.Input.join(',').toStdString();
    }
}
