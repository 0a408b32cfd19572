#include <gtest/gtest.h>

#include <utility>

#include "base/Outcome.h"

TEST(Notes, FormatsTextOfAnyLengthAfterWhatIsThere) {
  Notes notes;
  notes.add("NumFrames ");
  const std::string longName(5000, 'j');
  notes.addf("%d\t%s|%.2f\n", 7, longName.c_str(), 0.5);
  EXPECT_EQ(notes.text(), "NumFrames 7\t" + longName + "|0.50\n");

  // Notes taken over, into empty notes or after text, keep their order.
  Notes console;
  Notes first;
  first.add("a");
  Notes second;
  second.add("b");
  console.append(std::move(first));
  console.append(std::move(second));
  console.append(notes);
  EXPECT_EQ(console.text(), "ab" + notes.text());
}

TEST(Outcome, HoldsEitherTheValueOrTheFailure) {
  const Outcome<int> good(3);
  ASSERT_TRUE(good.ok());
  EXPECT_EQ(good.value(), 3);
  const Outcome<int> bad(Failure{"Bad File4", 12});
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.failure().message, "Bad File4");
  EXPECT_EQ(bad.failure().line, 12);
  EXPECT_TRUE(Status().ok());
  EXPECT_EQ(Status::failed("no", 2).failure().line, 2);
}
