// The production's meshes: triangle lists of 9 floats a triangle (P0, P1,
// P2), corners running counter-clockwise seen from outside, so that the
// face normal (P1 - P0) x (P2 - P1) points out of the solid. Every mesh but
// the flat glyph row is made of closed shells; the glyphs lie in one plane
// facing +z. All shapes come from fixed seeds.
#pragma once

#include <string>
#include <vector>

struct MESH_Entry {
    std::string name;
    std::vector<float> tris;
};

// The fourteen meshes of the drive, in drive order.
std::vector<MESH_Entry> MESH_BuildAll();
