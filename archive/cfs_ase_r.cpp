// The mesh reader and the face normals. A mesh payload is the triangle
// count, a second word kept as numvertex, and nine floats a triangle.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "archive/cfs.h"
#include "archive/cfs_reader.h"

constexpr size_t kFloatsPerTriangle = CFS_TRIANGLE_SIZE / sizeof(float);

CFS_Mesh* ase_info;

static const char kTruncated[] = "CFS_ReadASE: FATAL_ERROR: Mesh payload is truncated.\n";
static const char kNoMemory[] = "CFS_ReadASE: FATA_ERROR: Memory allocation failed.\n";

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
