#pragma once

#include <QIcon>
#include <QImage>

// The program's icon, drawn in code to the same design as resources/vorlix.svg (the file
// installed for the desktop): the load actuator pressing a deflection bowl into the road.
QImage ProgramIconPicture(int size);
QIcon ProgramIcon();
