#pragma once

#include "app/windowtexts.h"
#include "document/prxdocument.h"
#include "grid/bookmarklist.h"
#include "grid/gridstate.h"
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
        list.reset();
        grid.reset();
        texts.reset();
        doc = std::make_unique<PrxDocument>(home.path(), prompter);
        texts = std::make_unique<WindowTexts>(*doc);
        grid = std::make_unique<GridState>(*doc);
        list = std::make_unique<BookmarkList>(*doc, *grid);
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
    // What the windows keep beside the document, following its signals.
    std::unique_ptr<WindowTexts> texts;
    std::unique_ptr<GridState> grid;
    std::unique_ptr<BookmarkList> list;
};
