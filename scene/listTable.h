// listTable.h -- compiling into and calling the display lists held by the table's slots
#pragma once

// Opens the slot's list for GL_COMPILE. A slot holds at most one live list: an occupied slot
// is recompiled under the id it already holds, an empty one gets a fresh id.
void beginSlotList(int slot);
void endSlotList();

// glCallList of the slot's id; an empty slot (-1) names no list and draws nothing.
void callSlot(int slot);

// Deletes every list the table holds and empties the table.
void deleteSlotLists();
