#pragma once
// The text of the instructions window "Instructions" (Help, Manual), word
// for word, spelling included.
namespace pivra {

inline constexpr char kInstructionsCaption[] = "Instructions";

inline constexpr char kInstructions[] =
    "Not much to tell here.  Click File Scale Pivra to adjust the size of Pivra you want to create.  "
    "Click on left pane to load the head image.  Click on the right pane to load the tail image.  "
    "When you've got your Pivra like you like it. Click File Create Pivra.  "
    "Your Pivra will take a short time to create depending on the speed of your computer and the size of "
    "your pivra. Watch the progress bar across the top of the screen.  "
    "Once your Pivra hais been rendered it will appear in the lower right hand pane. "
    "If you're satisfied with your Pivra then Click File Save Pivra then save it into your web folder. "
    "Use the <IMG SRC=\"Your Pivra name\"> to embed it into your web page.  "
    "Add it to your email and much much more.";

}  // namespace pivra
