// mesh.cpp -- compiles one of the two built-in digits into a display list
#include "meshes/mesh.h"

#include "meshes/digitMeshes.h"

#include <GL/gl.h>

Mesh::Mesh(int kind) {
    // The tables are built before the list opens: building them makes no GL call.
    const DigitMesh& mesh = digitMesh(kind == 0 ? 0 : 1);
    const GLuint id = glGenLists(1);
    glNewList(id, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (const MeshTriangle& t : mesh.triangles) {
        for (int corner = 0; corner < 3; ++corner) {
            const Point3& normal = mesh.normals[t.normal[corner]];
            const Point3& vertex = mesh.vertices[t.vertex[corner]];
            glNormal3f(normal.x, normal.y, normal.z);
            glVertex3f(vertex.x, vertex.y, vertex.z);
        }
    }
    glEnd();
    (kind == 0 ? zeroList : oneList) = static_cast<int>(id);
    glEndList();
}

Mesh::~Mesh() = default;
