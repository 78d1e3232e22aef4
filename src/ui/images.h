// The pictures drawn for this program: the five node images of the command
// tree and the program's icons.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tavrel {

inline constexpr int kNodeImageCount = 5;

// 16 x 16 node image by index: 0 remote handset, 1 blue disc with a question
// mark, 2 grey ball, 3 blue ball, 4 red ball.
QPixmap NodeImage(int index);

// The program's icon (a remote sending infrared), and the same greyed with a
// stop mark for a closed port or a receiver that went away.
QIcon ProgramIcon();
QIcon InactiveIcon();

// The learning dialog's 71 x 99 picture: a handset sending its code to the
// receiver on the serial cable.
QPixmap LearningPicture();

}  // namespace tavrel
