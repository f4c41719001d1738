#pragma once
// Help, "What Else PIVRA Can Do": what the program offers beyond the Manual,
// each option with where to find it.
namespace pivra {

inline constexpr char kWhatElseCaption[] = "What Else PIVRA Can Do";

inline constexpr char kWhatElse[] =
    "Crop Pictures to a Square (File menu): each face is made from the centre square of its picture, "
    "instead of the whole picture squeezed into the square. PIVRA remembers it for the next start.\n\n"
    "Look (File menu): Flat, the squeezed card as always, or Coin, a solid coin with a rim, lit from the "
    "upper left, that turns at an even angle and lingers face-on. The preview turns the chosen look and "
    "CREATE PIVRA builds it; SAVE PIVRA draws a coin build again from its pictures. PIVRA "
    "remembers it for the next start.\n\n"
    "Page Colour\u2026 (File menu): the GIF's rim is blended into the colour of the page it will sit on, so "
    "a coin on a dark page has no light, jagged ring. \"None (white)\" makes the GIF as before. The lower "
    "right pane shows the animation over that colour, and the menu item shows the colour in use.\n\n"
    "Animated WebP, Animated PNG and WebM Video (Save the Pivra): pick the entry, or type a name ending in "
    ".webp, .png or .webm; a name ending in .gif saves the GIF whatever entry is picked. All three keep the "
    "coin's edge truly transparent, so it lies cleanly on any page.\n\n"
    "Export for\u2026 (File menu): the last Pivra made for where it goes: a Slack or Discord emoji, a Discord, "
    "Telegram, Signal or WhatsApp sticker, or Custom (your own side, frames, frame time, format and most bytes). "
    "It is drawn again from its pictures at that side and fitted under the most bytes allowed, and PIVRA says "
    "what it chose. PIVRA remembers the choice for the next start.\n\n"
    "Pictures: JPEG, PNG, GIF, BMP, WebP, HEIC/HEIF, AVIF and TIFF. Drop one on a pane, or drop two at "
    "once: the first becomes the head, the second the tail.\n\n"
    "The keyboard: Ctrl+H and Ctrl+T choose the head and tail pictures, Ctrl+N creates the Pivra, Ctrl+S "
    "saves it and Ctrl+Q quits. Tab moves between the panes and the two buttons; Space or Enter opens "
    "or presses the one with the dotted ring.\n\n"
    "The command line: pivra HEAD TAIL --scale N starts with both pictures. pivra-make HEAD TAIL "
    "OUTPUT.gif (or .webp, .png, .webm) builds without the window, with --crop, --matte COLOR, --quality N and "
    "--lossless; pivra-make --help tells the rest.";

}  // namespace pivra
