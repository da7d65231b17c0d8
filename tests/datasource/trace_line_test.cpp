// The diagnostic line of every entry call and the trace sink it goes to.
#include <gtest/gtest.h>

#include "datasource/entry/dispatch.h"
#include "datasource/entry/trace_line.h"
#include "tests/support/temp_dir.h"

namespace qm::ds {
namespace {

TEST(TraceLine, NamesGroupTypeMessageAndState)
{
    EXPECT_EQ(composeTraceLine(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 300),
              "Twain::DS_Entry(DG_CONTROL,DAT_IDENTITY,MSG_OPENDS) State3 \n");
    EXPECT_EQ(composeTraceLine(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, 600),
              "Twain::DS_Entry(DG_IMAGE,DAT_IMAGEMEMXFER,MSG_GET) State6 \n");
    EXPECT_EQ(composeTraceLine(DG_CONTROL, DAT_TWUNKIDENTITY, MSG_ENDXFER, 100),
              "Twain::DS_Entry(DG_CONTROL,DAT_TWUNKIDENTITY,MSG_ENDXFER) State1 \n");
    EXPECT_EQ(composeTraceLine(DG_IMAGE, DAT_PALETTE8, MSG_CUSTOMBASE, 700),
              "Twain::DS_Entry(DG_IMAGE,DAT_PALETTE8,MSG_CUSTOMBASE) State7 \n");
    EXPECT_EQ(composeTraceLine(DG_CONTROL, DAT_CUSTOMBASE, MSG_NULL, 500),
              "Twain::DS_Entry(DG_CONTROL,DAT_CUSTOMBASE,MSG_NULL) State5 \n");
}

TEST(TraceLine, UnknownPiecesAreLeftOut)
{
    EXPECT_EQ(composeTraceLine(DG_AUDIO, DAT_IDENTITY, MSG_GET, 400), "Twain::DS_Entry(DAT_IDENTITY,MSG_GET) State4 \n");
    EXPECT_EQ(composeTraceLine(DG_CONTROL, 0x0C, MSG_GET, 400), "Twain::DS_Entry(DG_CONTROL,MSG_GET) State4 \n");
    EXPECT_EQ(composeTraceLine(DG_IMAGE, 0x10B, 0x0902, 400), "Twain::DS_Entry(DG_IMAGE,) State4 \n");
    EXPECT_EQ(composeTraceLine(DG_CONTROL, DAT_STATUS, MSG_GET, 450), "Twain::DS_Entry(DG_CONTROL,DAT_STATUS,MSG_GET");
    EXPECT_EQ(composeTraceLine(DG_CONTROL, DAT_STATUS, MSG_GET, 800), "Twain::DS_Entry(DG_CONTROL,DAT_STATUS,MSG_GET");
}

TEST(TraceLine, EveryEntryCallGoesToTheTraceSink)
{
    qm::test::TempDir scratch;
    qm::test::ScopedEnv trace("QM4200_TRACE", scratch.file("trace.log"));
    SourceRecord record;
    TW_IDENTITY application{};
    application.Id = 3;
    TW_IDENTITY identity{};
    dsEntry(record, &application, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
    dsEntry(record, &application, DG_AUDIO, 0x77, 0x999, nullptr);
    EXPECT_EQ(qm::test::readTextFile(scratch.file("trace.log")),
              "Twain::DS_Entry(DG_CONTROL,DAT_IDENTITY,MSG_GET) State3 \n"
              "Twain::DS_Entry() State3 \n");
}

}  // namespace
}  // namespace qm::ds
