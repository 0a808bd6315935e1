// The mesh reader and the face normals. A mesh payload is the triangle
// count, a second word kept as numvertex, and nine floats a triangle.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numeric>
#include <vector>

#include "archive/cfs.h"
#include "archive/cfs_reader.h"

constexpr size_t kFloatsPerTriangle = CFS_TRIANGLE_SIZE / sizeof(float);

CFS_Mesh* ase_info;

static const char kTruncated[] = "CFS_ReadASE: FATAL_ERROR: Mesh payload is truncated.\n";
static const char kNoMemory[] = "CFS_ReadASE: FATA_ERROR: Memory allocation failed.\n";

// A directed edge of a face: its two corners as exact bits, from and to.
struct ASE_Edge {
    std::array<uint32_t, 6> ends;
    uint32_t face;
    bool operator<(const ASE_Edge& other) const { return ends < other.ends; }
};

// Corner k of triangle face as bits; -0 counts as 0 so equal corners match.
static void ASE_CornerBits(const float* tris, uint32_t face, int k, uint32_t* bits) {
    for (int c = 0; c < 3; c++) {
        float v = tris[size_t(face) * kFloatsPerTriangle + size_t(k) * 3 + c];
        if (v == 0.0f) v = 0.0f;
        std::memcpy(&bits[c], &v, sizeof v);
    }
}

// Every edge of every face, sorted.
static std::vector<ASE_Edge> ASE_Edges(const CFS_Mesh* mesh) {
    std::vector<ASE_Edge> edges(size_t(mesh->numfaces) * 3);
    for (uint32_t f = 0; f < mesh->numfaces; f++)
        for (int k = 0; k < 3; k++) {
            ASE_Edge& e = edges[size_t(f) * 3 + k];
            ASE_CornerBits(mesh->tris, f, k, &e.ends[0]);
            ASE_CornerBits(mesh->tris, f, (k + 1) % 3, &e.ends[3]);
            e.face = f;
        }
    std::sort(edges.begin(), edges.end());
    return edges;
}

static uint32_t ASE_Root(std::vector<uint32_t>& shell, uint32_t f) {
    while (shell[f] != f) f = shell[f] = shell[shell[f]];
    return f;
}

// Joins the faces on either side of each edge into shells, shell[f] leading
// to the root face of f's shell. False where an edge is walked twice the same
// way or never back: the mesh is open or its faces disagree on their winding.
static bool ASE_PairEdges(const std::vector<ASE_Edge>& edges, std::vector<uint32_t>& shell) {
    for (size_t i = 0; i < edges.size(); i++) {
        if (i + 1 < edges.size() && edges[i + 1].ends == edges[i].ends) return false;
        ASE_Edge back = edges[i];
        std::rotate(back.ends.begin(), back.ends.begin() + 3, back.ends.end());
        const auto twin = std::lower_bound(edges.begin(), edges.end(), back);
        if (twin == edges.end() || twin->ends != back.ends) return false;
        shell[ASE_Root(shell, edges[i].face)] = ASE_Root(shell, twin->face);
    }
    return true;
}

// Six times the signed volume of the tetrahedron from the origin to face f.
static double ASE_Volume6(const float* tris, uint32_t f) {
    const float* p = tris + size_t(f) * kFloatsPerTriangle;
    const double ax = p[0], ay = p[1], az = p[2], bx = p[3], by = p[4], bz = p[5];
    const double cx = p[6], cy = p[7], cz = p[8];
    return ax * (by * cz - bz * cy) - ay * (bx * cz - bz * cx) + az * (bx * cy - by * cx);
}

// Closed shells, each enclosing a positive volume: faces counter-clockwise
// seen from outside. Only then do a solid's front faces hide all its back
// faces from a viewer outside it. Without the memory to find out, it is not.
static bool ASE_Solid(const CFS_Mesh* mesh) try {
    std::vector<uint32_t> shell(mesh->numfaces);
    std::iota(shell.begin(), shell.end(), 0u);
    if (!ASE_PairEdges(ASE_Edges(mesh), shell)) return false;
    std::vector<double> volume(mesh->numfaces, 0.0);
    for (uint32_t f = 0; f < mesh->numfaces; f++)
        volume[ASE_Root(shell, f)] += ASE_Volume6(mesh->tris, f);
    for (uint32_t f = 0; f < mesh->numfaces; f++)
        if (shell[f] == f && !(volume[f] > 0)) return false;
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

CFS_Mesh* CFS_ReadASE(const char* name) {
    CFS_ReaderOpen(name, CFS_TYPE_ASE, CFS_MESH_HEADER_SIZE, kTruncated);
    ase_info = static_cast<CFS_Mesh*>(malloc(sizeof(CFS_Mesh)));
    if (!ase_info) CFS_ReaderFail(nullptr, kNoMemory);
    ase_info->numfaces = CFS_ReaderWord(0);
    ase_info->numvertex = CFS_ReaderWord(1);
    const uint64_t bytes = uint64_t(ase_info->numfaces) * CFS_TRIANGLE_SIZE;
    // The body ends the turn: from then on only this call's own copy of the
    // record pointer is read.
    CFS_Mesh* record = ase_info;
    record->tris = static_cast<float*>(CFS_ReaderBody(bytes, record, kTruncated, kNoMemory));
    record->solid = ASE_Solid(record);
    return record;
}

// Normal i = (P0 - P1) x (P1 - P2), every step rounded to single precision.
static void ASE_CrossProducts(const float* tris, uint32_t faces, CFS_Norms* norms) {
    for (uint32_t i = 0; i < faces; i++) {
        const float* p = tris + size_t(i) * kFloatsPerTriangle;
        const float ax = p[0] - p[3], ay = p[1] - p[4], az = p[2] - p[5];
        const float bx = p[3] - p[6], by = p[4] - p[7], bz = p[5] - p[8];
        norms[i].x = ay * bz - az * by;
        norms[i].y = az * bx - ax * bz;
        norms[i].z = ax * by - ay * bx;
    }
}

// A zero vector stays zero: its length counts as 1.
static void ASE_Normalise(CFS_Norms* norms, uint32_t faces) {
    for (uint32_t i = 0; i < faces; i++) {
        const float squares =
            norms[i].x * norms[i].x + norms[i].y * norms[i].y + norms[i].z * norms[i].z;
        float length = sqrtf(squares);
        if (length == 0.0f) length = 1.0f;
        norms[i].x /= length;
        norms[i].y /= length;
        norms[i].z /= length;
    }
}

CFS_Norms* CFS_CalcNormsASE(const CFS_Mesh* mesh) {
    const uint32_t faces = mesh->numfaces;
    CFS_Norms* norms =
        static_cast<CFS_Norms*>(malloc(std::max<size_t>(size_t(faces) * sizeof(CFS_Norms), 1)));
    if (!norms) CFS_Fatal("CFS_CalcNorms: ASE filter: memory allocation failed.\n");
    ASE_CrossProducts(mesh->tris, faces, norms);
    ASE_Normalise(norms, faces);
    return norms;
}
