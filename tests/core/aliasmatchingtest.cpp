// SPDX-License-Identifier: MIT
// Header and alias matching: the alias tests, and long alias lists, which
// are looked up by hashing, reading tables exactly as short ones do.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/Workbench.h"
#include "fakes/FakeServices.h"
#include "table/AliasMatching.h"
#include "table/TableWriter.h"

using namespace vestrane;
using vestrane::testing::FakeServices;

TEST(AliasMatchingTest, FirstOccurrenceDecides) {
  AliasList list = {"MIN"};
  EXPECT_TRUE(LineHasAlias(list, "MIN\tX"));
  EXPECT_TRUE(LineHasAlias(list, "X\tMINERAL"));
  // Only the first occurrence counts: inside a field it hides later ones.
  EXPECT_FALSE(LineHasAlias(list, "XMIN\tMIN"));
  EXPECT_FALSE(LineHasAlias({""}, "\tX"));
  EXPECT_TRUE(FieldMatchesAlias({"SAMPLE"}, "SAMPLES"));
  EXPECT_FALSE(FieldMatchesAlias({"SAMPLE"}, "SAMPL"));
  EXPECT_FALSE(FieldMatchesAlias({""}, "ANY"));
}

TEST(AliasMatchingTest, LongAliasListsReadLikeShortOnes) {
  // Past a few dozen aliases the reader looks them up by hashing. Lists
  // grown by aliases that never occur must read every table exactly as the
  // short lists do: headers, later headers, first occurrences, fields that
  // begin with an alias, letter case and text that is not ASCII.
  const std::vector<std::string> tables = {
      "Junk\tSAMPLES\r\nSAMPLE \t  Mineral \tArea\tx\r\nS1\tGrt\tr1\tlong enough line\r\n",
      "Sample\tMineral\tArea\r\nMineral\tSample\tArea\r\nGrt\tS9\tr9 and more\r\n"
      "Sample\tMineral\r\nBt\tS9\tr9 and more!\r\nxMIN\tMINERALS\tmore text here\r\n",
      "XMIN\tMIN\tSample\r\nID\tMIN\tSAMPLE\r\nS1\tgrt\tr1 long enough\r\n"
      "S2\tmin\u00e9ral\tsampled \u00b5m\r\nAnalysis\tMINISTRY\tSampler\r\nq\tw\te long enough\r\n",
      "sel\tsa\tar\tmi\tan\tmin\u00e9ral\r\n1\tS\u00e9\tA\tGrt\tx\ty more\r\n"
      "0\tS2\tB\tOpx\tx\ty more\r\nMI\tSA\tlong enough header\r\nGrt\tS3\tc\r\n",
      std::string("Sample\tMineral\t\xE9tat\r\nS1\t\xE9pidote\tr1 and more\r\n\xC9TAT\tSample\tMineral\r\n"
                  "x\tS2\tGrt long enough\r\n"),
      "XMIN\tMIN\tjunk line\r\nSample\tMineral\tArea\r\nXMIN rock\tMINOR\tr5 long enough\r\n",
  };
  Settings shortLists;
  shortLists.aliases.select = {"SEL"};
  shortLists.aliases.sample = {"SAMPLE", "SA", "ID"};
  shortLists.aliases.area = {"AR", "AREA"};
  shortLists.aliases.mineral = {"MIN", "MI", "MIN\u00c9RAL", "MINERAL"};
  shortLists.aliases.analysis = {"AN", "", "ANALYSIS"};
  Settings longLists = shortLists;
  for (int i = 0; i < 100; ++i) {
    longLists.aliases.sample.push_back("ZQ" + std::to_string(i));
    longLists.aliases.mineral.insert(longLists.aliases.mineral.begin(), "ZR" + std::to_string(i));
    longLists.aliases.area.push_back("ZS" + std::string(static_cast<std::size_t>(i), 'Z'));
  }
  for (const std::string& text : tables) {
    FakeServices servicesShort, servicesLong;
    Workbench shortBench(shortLists, servicesShort), longBench(longLists, servicesLong);
    std::string a = text, b = text;
    EXPECT_EQ(shortBench.ParseTableText(a), longBench.ParseTableText(b)) << text;
    EXPECT_EQ(SerializeTable(shortBench.table()), SerializeTable(longBench.table())) << text;
    EXPECT_EQ(servicesShort.messages, servicesLong.messages) << text;
    EXPECT_GT(shortBench.table().rowCount(), 0) << text;
  }
}

