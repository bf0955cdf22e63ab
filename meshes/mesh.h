// mesh.h -- compiles one of the two built-in digits into a display list
#pragma once

// All the work is done by the constructor. Destroying a Mesh releases nothing: the compiled
// list stays valid until whoever keeps its id deletes it.
class Mesh {
  public:
    // kind 0 compiles the zero, any other kind the one.
    explicit Mesh(int kind);
    virtual ~Mesh();

    // zeroList for kind 0, else oneList; ask only for the kind the object was built with.
    int list(int kind) const { return kind == 0 ? zeroList : oneList; }

  private:
    int zeroList = -1;
    int oneList = -1;
};
