// elements.cpp -- adding elements, their flight paths and the gathering step
#include "assembly/elements.h"

#include "app/input.h"
#include "assembly/bezier.h"
#include "scene/generator.h"
#include "scene/listTable.h"

#include <GL/gl.h>

Point3 elementStart(int pointerOffsetX, int pointerOffsetY) {
    return {static_cast<float>(pointerOffsetX / 200.0), static_cast<float>(-pointerOffsetY / 200.0),
            0.0f};
}

void addElement(int kind) {
    if (elementCount >= elementPoolSize) {
        return;
    }
    const int n = elementCount;
    elements[n].kind = kind;
    elements[n].start = elementStart(pointerX, pointerY);
    elements[n].age = 0;
    computePath(n);
    elementCount += 1;
}

void fillElements() {
    for (int k = 0; k < elementPoolSize && elementCount < elementPoolSize; ++k) {
        addElement(drawRandom() % 2);
    }
}

void computePath(int i) {
    Element& e = elements[i];
    for (int k = 0; k < pathPoints; ++k) {
        e.path[k] = bezierPoint(e.start, e.control, e.end, k * 0.01);
    }
}

void gatherStep() {
    // Taken before the loop: the phase changes one step after the 64th element's arrival, and
    // that step still recompiles every list.
    const bool gathered = elements[elementPoolSize - 1].age == maxAge;
    for (int i = 0; i < elementCount; ++i) {
        Element& e = elements[i];
        beginSlotList(elementSlot(i));
        glPushMatrix();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glCallList(static_cast<GLuint>(meshLists[e.kind]));
        if (showsWireOverlay(e.age)) {
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            glCallList(static_cast<GLuint>(meshLists[e.kind]));
        }
        glPopMatrix();
        endSlotList();
        if (e.age < maxAge) {
            e.age += 1;
        }
    }
    if (gathered) {
        Phase = 2;
    }
}
