#pragma once

#include "document/prxdocument.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"

#include <gtest/gtest.h>
#include <memory>

// A started document over a fresh demo home.
class DocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.answerAssociation();
        restart();
    }
    void restart()
    {
        doc = std::make_unique<PrxDocument>(home.path(), prompter);
        doc->startUp();
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (const BookmarkRow &row : doc->model().rows())
            out << row[c];
        return out;
    }

    TestHome home;
    FakePrompter prompter;
    std::unique_ptr<PrxDocument> doc;
};
