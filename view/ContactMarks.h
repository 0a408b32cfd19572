#pragma once

#include <vector>

#include "base/Point3.h"

class EditSession;

// Where the clip's feet are planted, one mark per foot contact: the foot
// joint at the contact's middle frame, in the world, as the figure is drawn
// there (carried along the path shown, with its feet kept when they are,
// when carried is set; as captured otherwise). Headless; costs one pose of
// the foot's leg per contact.
std::vector<Point3> contactMarks(const EditSession& session, bool carried);
