// What the panel tests share: a scratch per-user folder and registry for each
// test, and the panel context pointing at them (the program's data beside the
// tests when a fixture asks for it).
#pragma once

#include "panels/PanelContext.h"
#include "platform/Folders.h"
#include "tests/common/ScratchRegistryHome.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

namespace toliva::test {

class PanelHomeFixture : public ::testing::Test {
protected:
    // withProgramData: the context reads the pictures and texts beside the
    // tests; without, a panel draws without them.
    explicit PanelHomeFixture(bool withProgramData = true) : m_withProgramData(withProgramData) {}

    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        m_registry = std::make_unique<ScratchRegistryHome>(m_home.path());
        if (m_withProgramData) context.programFolder = programFolder();
        context.userFolder = m_home.path() + QLatin1Char('/');
    }
    void TearDown() override { m_registry.reset(); }

    PanelContext context;

private:
    bool m_withProgramData;
    QTemporaryDir m_home;
    std::unique_ptr<ScratchRegistryHome> m_registry;
};

}  // namespace toliva::test
