// A language file with two groups of the same name, items past S99 and
// empty texts, written to a scratch folder for each test.
#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QString>

namespace toliva::test {

inline const char kLangFile[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Lang>
  <gMSG_1>
    <S01 en="First line|Second line" cn="第一行|第二行" />
    <S07 en="seven" cn="七" />
    <S123 en="one two three" />
    <S02 en="" />
  </gMSG_1>
  <gDLG_1>
    <S01 en="Dialog title" />
    <S02 en="OK" />
    <S03 en="Caption three" />
    <S04 en="Label text" />
    <S05 en="Group title" />
    <S06 en="Edit text" />
    <S07 en="" />
    <S08 en="After the end" />
  </gDLG_1>
  <gMSG_1>
    <S09 en="second group of the same name" />
  </gMSG_1>
</Lang>
)";

class LangTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::writeFile(path(), kLangFile)); }
    QString path() const { return dir.file("LANG_T.xml"); }

    test::ScratchFolder dir;
};

}  // namespace toliva::test
