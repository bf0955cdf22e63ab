// lighting.h -- light 5, the one light of the piece, and the placements' material
#pragma once

// Sets light 5's ambient, diffuse, specular and position, in that order. The position is taken
// in the eye coordinates of the current modelview matrix.
void applyLight5();

// Sets the placements' material for GL_FRONT: ambient, diffuse, specular, shininess.
void applyPlacementMaterial();
