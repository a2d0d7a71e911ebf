#include "RIZozivirod/Renderer/OpenGL/GLPolygon.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

namespace QV {
namespace {

// Made on first use and kept for the process.
GLUtesselator* Tessellator() {
    static GLUtesselator* const tessellator = [] {
        GLUtesselator* made = gluNewTess();
        if (made != nullptr) {
            gluTessNormal(made, 0, 0, 1);
            gluTessProperty(made, GLU_TESS_TOLERANCE, 1.0);
            gluTessCallback(made, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(&glBegin));
            gluTessCallback(made, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(&glVertex3dv));
            gluTessCallback(made, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(&glEnd));
        }
        return made;
    }();
    return tessellator;
}

// The vertices of the polygon being filled, three doubles a point; the tessellator keeps
// pointers into it until the polygon ends.
std::vector<double>& Vertices() {
    static std::vector<double>* const vertices = new std::vector<double>();
    return *vertices;
}

}  // namespace

CGLPolygon::CGLPolygon() {
    Tessellator();
}

void CGLPolygon::Fill(const PointT<float>* points, uint32_t count) {
    GLUtesselator* tessellator = Tessellator();
    if (tessellator == nullptr || points == nullptr || count == 0) {
        return;
    }
    std::vector<double>& vertices = Vertices();
    vertices.resize(static_cast<size_t>(count) * 3);
    for (uint32_t i = 0; i < count; ++i) {
        vertices[i * 3] = points[i].x;
        vertices[i * 3 + 1] = points[i].y;
        vertices[i * 3 + 2] = 0.0;
    }
    gluTessProperty(tessellator, GLU_TESS_BOUNDARY_ONLY, GL_FALSE);
    gluTessBeginPolygon(tessellator, nullptr);
    gluTessBeginContour(tessellator);
    for (uint32_t i = 0; i < count; ++i) {
        gluTessVertex(tessellator, &vertices[i * 3], &vertices[i * 3]);
    }
    gluTessEndContour(tessellator);
    gluTessEndPolygon(tessellator);
}

}  // namespace QV
