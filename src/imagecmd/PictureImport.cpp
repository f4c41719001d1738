#include "imagecmd/PictureImport.h"

namespace pivra {

CommandStatus ImportPicture(ImageCommands& commands, const std::string& src, const std::string& dst,
                            int16_t i_size, bool crop) {
    if (!crop) return commands.RunConvert(src, dst, i_size, Resize);
    const std::string side = std::to_string(i_size);
    const std::string square = side + "X" + side;
    // "^" covers the square keeping the aspect ratio; the crop keeps its
    // centre, and +repage forgets the place it had on the covering picture.
    return commands.RunConvertWith(src, dst, {"-resize", square + "^", "-gravity", "center", "-crop", square + "+0+0", "+repage"});
}

}  // namespace pivra
