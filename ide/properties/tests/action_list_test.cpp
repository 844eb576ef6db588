// The action list editor: items parsed from and written back to the list
// text, reordered and removed, and OK refused for an action the compiler does
// not accept.
#include "action_list.h"
#include "action_list_dialog.h"
#include "test_app.h"

#include <QComboBox>
#include <QListWidget>
#include <gtest/gtest.h>

using namespace tft::ide;

TEST(ActionLists, ItemsRoundTripReorderAndRemove) {
    ActionList list = ActionList::parse(
        "<a><item type='RECTANGLE' xOffset='1'/><item type='TEXT' text='x'/></a>");
    ASSERT_EQ(list.items().size(), 2u);
    EXPECT_TRUE(list.isValid());
    EXPECT_TRUE(list.move(1, -1));
    EXPECT_FALSE(list.move(0, -1));
    EXPECT_FALSE(list.move(1, 1));
    EXPECT_EQ(list.text(), "<actions><item type=\"TEXT\" text=\"x\"/><item type=\"RECTANGLE\" "
                           "xOffset=\"1\"/></actions>");
    // What the compiler reads back is the same list.
    EXPECT_EQ(ActionList::parse(list.text()).items(), list.items());
    EXPECT_TRUE(list.remove(0));
    EXPECT_FALSE(list.remove(5));
    EXPECT_TRUE(list.remove(0));
    EXPECT_EQ(list.text(), "") << "no actions is an empty text";
    EXPECT_TRUE(ActionList::parse("not xml").items().empty());
}

TEST(ActionLists, UnknownOrBrokenActionsAreInvalid) {
    ActionList list;
    list.add(ActionList::newItem("METER"));
    EXPECT_TRUE(list.isValid());
    list.add("<item type='NOPE'/>");
    EXPECT_FALSE(list.isValid());
    ActionList broken;
    broken.add("<item type='TEXT'");
    EXPECT_FALSE(broken.isValid()) << "an item that is not XML would be lost";
}

TEST(ActionLists, TheDialogEditsTheListAndRefusesABadAction) {
    ensurePropertyTestApp();
    CActionListDialog dialog(QStringLiteral("<a><item type='TEXT'/></a>"));
    EXPECT_EQ(dialog.list()->count(), 1);
    dialog.typeBox()->setCurrentText("SLIDER");
    dialog.addAction();
    dialog.moveAction(-1);
    EXPECT_EQ(dialog.text(), "<actions><item type=\"SLIDER\"/><item type=\"TEXT\"/></actions>");
    dialog.list()->item(0)->setText("<item type='WHAT'/>");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.list()->setCurrentRow(0);
    dialog.removeAction();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.text(), "<actions><item type=\"TEXT\"/></actions>");
}
