#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <gtest/gtest.h>

#include <string>

#include "view/QuestionDialog.h"

namespace {

// The keys a person uses on the real dialog, delivered as the toolkit
// delivers them: Return goes ahead, Escape keeps, also when "Write First"
// is offered too; that button answers writeFirst.
TEST(QuestionDialogTest, ReturnGoesAheadEscapeKeepsAndWriteFirstIsItsOwnAnswer) {
  const struct {
    int key;  // 0: the "Write First" button is pressed
    bool offersWriteFirst;
    Answer answer;
  } cases[] = {{FL_Enter, false, Answer::goAhead},
               {FL_Escape, false, Answer::keep},
               {FL_Enter, true, Answer::goAhead},
               {FL_Escape, true, Answer::keep},
               {0, true, Answer::writeFirst}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << (c.offersWriteFirst ? " with Write First" : ""));
    QuestionDialog dialog(
        {"Replace out.bvh?", "Replace", "Cancel", c.offersWriteFirst ? "Write First" : ""});
    dialog.show();
    for (int i = 0; i < 20 && !dialog.visible(); ++i) Fl::wait(0.01);
    Fl_Widget* writeFirst = nullptr;
    for (int i = 0; i < dialog.children(); ++i) {
      const char* label = dialog.child(i)->label();
      if (label != nullptr && std::string(label) == "Write First") writeFirst = dialog.child(i);
    }
    EXPECT_EQ(writeFirst != nullptr, c.offersWriteFirst);
    if (c.key == 0) {
      ASSERT_NE(writeFirst, nullptr);
      writeFirst->do_callback();
    } else {
      Fl::e_keysym = c.key;
      Fl::e_state = 0;
      Fl::e_text = const_cast<char*>(c.key == FL_Enter ? "\r" : "\033");
      Fl::e_length = 1;
      Fl::handle(FL_KEYBOARD, &dialog);
    }
    EXPECT_FALSE(dialog.shown());
    EXPECT_EQ(dialog.answer(), c.answer);
  }
}

}  // namespace
