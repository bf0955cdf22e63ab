// listTable.cpp -- compiling into and calling the display lists held by the table's slots
#include "scene/listTable.h"

#include "scene/sceneStore.h"

#include <GL/gl.h>

void beginSlotList(int slot) {
    if (listTable[slot] == -1) {
        listTable[slot] = static_cast<std::int32_t>(glGenLists(1));
    }
    glNewList(static_cast<GLuint>(listTable[slot]), GL_COMPILE);
}

void endSlotList() { glEndList(); }

void callSlot(int slot) { glCallList(static_cast<GLuint>(listTable[slot])); }

void deleteSlotLists() {
    for (std::int32_t& id : listTable) {
        if (id != -1) {
            glDeleteLists(static_cast<GLuint>(id), 1);
        }
        id = -1;
    }
}
