#include "sheet/editing/EditDialogs.h"

#include "platform/MessageSink.h"

#include <gtest/gtest.h>

using namespace toliva;

// A sheet without dialogs tells the user, in the user's language, and
// answers Cancel: nothing is inserted or changed behind a dialog that never
// showed.
TEST(EditDialogsTest, UnavailableDialogsSayNotAvailableAndCancel) {
    for (const char* code : {"en", "cn"}) {
        RecordingMessageSink sink;
        ScopedMessageSink scoped(&sink);
        UnavailableEditDialogs dialogs{QString::fromLatin1(code)};
        StringRequest s;
        s.text = QStringLiteral("0.5");
        MatrixChoice choice;
        MatrixLinesRequest lines;
        EXPECT_FALSE(dialogs.askString(s));
        EXPECT_EQ(s.text, QStringLiteral("0.5"));
        EXPECT_FALSE(dialogs.chooseMatrix(MatrixRequest{}, &choice));
        EXPECT_FALSE(dialogs.editMatrixLines(lines));
        EXPECT_FALSE(dialogs.selectSymbol(860, nullptr));
        EXPECT_EQ(dialogs.equationSettings(nullptr, false), 0);
        dialogs.print(nullptr);
        ASSERT_EQ(sink.shown.size(), 6u);
        const QString matrix = NotAvailableYetText(QString::fromLatin1(code), Unavailable::MatrixDialog);
        EXPECT_EQ(sink.shown[1].text, matrix);
        // Each names its own dialog, from the language file.
        EXPECT_NE(sink.shown[0].text, sink.shown[1].text);
        if (QString::fromLatin1(code) == QLatin1String("en")) EXPECT_TRUE(matrix.contains(QLatin1String("not available yet")));
        else EXPECT_FALSE(matrix.contains(QLatin1String("not available")));
    }
}
