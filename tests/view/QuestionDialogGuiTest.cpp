#include <FL/Fl.H>
#include <gtest/gtest.h>

#include "view/QuestionDialog.h"

namespace {

// The keys a person uses on the real dialog, delivered as the toolkit
// delivers them: Return goes ahead, Escape keeps.
TEST(QuestionDialogTest, ReturnGoesAheadAndEscapeKeeps) {
  const struct {
    int key;
    bool answer;
  } cases[] = {{FL_Enter, true}, {FL_Escape, false}};
  for (const auto& c : cases) {
    QuestionDialog dialog("Replace out.bvh?", "Replace", "Cancel");
    dialog.show();
    for (int i = 0; i < 20 && !dialog.visible(); ++i) Fl::wait(0.01);
    Fl::e_keysym = c.key;
    Fl::e_state = 0;
    Fl::e_text = const_cast<char*>(c.key == FL_Enter ? "\r" : "\033");
    Fl::e_length = 1;
    Fl::handle(FL_KEYBOARD, &dialog);
    EXPECT_FALSE(dialog.shown()) << c.key;
    EXPECT_EQ(dialog.answer(), c.answer) << c.key;
  }
}

}  // namespace
