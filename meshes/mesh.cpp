// mesh.cpp -- compiles one of the two built-in digits into a display list
#include "meshes/mesh.h"

#include <GL/gl.h>

Mesh::Mesh(int kind) {
    const auto id = static_cast<int>(glGenLists(1));
    glNewList(static_cast<GLuint>(id), GL_COMPILE);
    glEndList();
    (kind == 0 ? zeroList : oneList) = id;
}

Mesh::~Mesh() = default;
