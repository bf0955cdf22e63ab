// lighting.cpp -- light 5, the one light of the piece, and the placements' material
#include "app/lighting.h"

#include <GL/gl.h>

namespace {
const GLfloat lightAmbient[] = {0.1f, 0.1f, 0.1f, 1.0f};
const GLfloat lightDiffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat lightSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat lightPosition[] = {3.0f, 1.0f, 1.0f, 0.1f};

const GLfloat materialAmbient[] = {0.1f, 0.1f, 0.1f, 1.0f};
const GLfloat materialDiffuse[] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat materialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat materialShininess[] = {50.0f};
} // namespace

void applyLight5() {
    glLightfv(GL_LIGHT5, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT5, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT5, GL_SPECULAR, lightSpecular);
    glLightfv(GL_LIGHT5, GL_POSITION, lightPosition);
}

void applyPlacementMaterial() {
    glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
    glMaterialfv(GL_FRONT, GL_SHININESS, materialShininess);
}
