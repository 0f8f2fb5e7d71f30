// A store connected to the shared test server, in an account (user and database) of the
// test's own, and the general log of what that account sent.
#pragma once

#include "document/scripted_prompts.h"
#include "store/server_store.h"
#include "support/new_header.h"
#include "support/test_account.h"

#include <gtest/gtest.h>

class ServerStoreTest : public testing::Test, public TestAccount {
protected:
    void SetUp() override
    {
        OpenSharedAccount(QStringLiteral("t_"));
        if (!HasFatalFailure())
            LogIn();
    }
    void LogIn()
    {
        ASSERT_EQ(store.Connect(account.user, account.password, account.user, HostField()), 1) << prompts.shown.join(u'\n').toStdString();
    }

    ScriptedPrompts prompts;
    CServerStore store{prompts};
};
