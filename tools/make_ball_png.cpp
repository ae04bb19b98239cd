// make_ball_png: draws the glass ball that every Orbisette window shows and
// writes it as a 147 x 147 RGBA PNG (8 bits per channel, straight alpha,
// non-interlaced) to the path given on the command line. The saver ships the
// picture as assets/Orbisette.dll and loads it with GdipLoadImageFromFile.
//
// The ball is 120 pixels wide with its box at the top-left of the image, so
// its centre is (60, 60) and its radius 60, which is what the physics assumes.
// The 27-pixel margin to the right and below holds only the soft shadow the
// ball throws on the desktop, with the light it focuses into that shadow;
// everything else, the four corners included, is fully transparent.
//
// Usage: make_ball_png <output.png>
//
// The output is byte-for-byte the same on every run: nothing depends on the
// clock or on a random seed, no tIME chunk is written, and the shading uses
// only +, -, *, / and sqrt (all correctly rounded in IEEE double), never
// pow/exp/sin from the C library, whose last bits differ between versions.
// The compressed stream still depends on the zlib build, so regenerate the
// asset on one machine rather than expecting every distribution to match.

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kImageSize = 147;
constexpr double kCentre = 60.0;  // ball centre, both axes, in pixels
constexpr double kRadius = 60.0;
constexpr int kSubsamples = 8;  // per axis: 64 samples a pixel for a clean rim

// A colour with premultiplied alpha; the layers are stacked in this form and
// only the finished pixel is turned back into straight alpha.
struct Premul {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double a = 0.0;
};

struct Rgb {
  double r;
  double g;
  double b;
};

// Porter-Duff "over": lays a straight-alpha colour on top of what is there.
void over(Premul& dst, Rgb colour, double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  const double keep = 1.0 - alpha;
  dst.r = colour.r * alpha + dst.r * keep;
  dst.g = colour.g * alpha + dst.g * keep;
  dst.b = colour.b * alpha + dst.b * keep;
  dst.a = alpha + dst.a * keep;
}

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

double smoothstep(double edge0, double edge1, double x) {
  const double t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0 - 2.0 * t);
}

double lerp(double a, double b, double t) { return a + (b - a) * t; }

Rgb mix(Rgb a, Rgb b, double t) { return {lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t)}; }

// A soft bump: 1 at d2 = 0, falling smoothly to 0 at d2 = 1 with zero slope
// there, so no layer ever shows a hard edge. d2 is a squared, scaled distance.
double bump(double d2) {
  if (d2 >= 1.0) {
    return 0.0;
  }
  const double t = 1.0 - d2;
  return t * t * t;
}

// x^n for a small whole n, by repeated squaring.
double ipow(double x, int n) {
  double result = 1.0;
  while (n > 0) {
    if ((n & 1) != 0) {
      result *= x;
    }
    x *= x;
    n >>= 1;
  }
  return result;
}

// Squared distance of (x, y) from (cx, cy) in an ellipse with half-axes
// (along, across), the "along" axis turned to the unit direction (ux, uy).
double ellipse_d2(double x, double y, double cx, double cy, double ux, double uy, double along, double across) {
  const double dx = x - cx;
  const double dy = y - cy;
  const double u = (dx * ux + dy * uy) / along;
  const double v = (-dx * uy + dy * ux) / across;
  return u * u + v * v;
}

// The light comes from the upper left and a little in front of the screen,
// like a window behind the viewer's left shoulder. Unit vector, y pointing down.
constexpr double kLightX = -0.48;
constexpr double kLightY = -0.56;
const double kLightZ = std::sqrt(1.0 - kLightX * kLightX - kLightY * kLightY);

constexpr double kInvSqrt2 = 0.70710678118654752440;

// Everything beneath the glass: the shadow on the desktop and the light the
// ball focuses into it. (x, y) in pixels.
void shade_ground(Premul& px, double x, double y) {
  // The shadow falls opposite the light, down and to the right, and is
  // stretched a little along that direction because the light is oblique.
  const double sx = kCentre + 16.0;
  const double sy = kCentre + 18.0;
  const double d2 = ellipse_d2(x, y, sx, sy, kInvSqrt2, kInvSqrt2, 60.0, 52.0);
  // Glass lets most of the light through, so the ground seen through the
  // ball is barely shaded; the shadow proper shows beyond the rim.
  const double bx = (x - kCentre) / kRadius;
  const double by = (y - kCentre) / kRadius;
  const double through_glass = 1.0 - 0.88 * smoothstep(1.0, 0.8, std::sqrt(bx * bx + by * by));
  const double shadow = 0.28 * smoothstep(1.0, 0.35, d2) * through_glass;
  over(px, {0.02, 0.05, 0.09}, shadow);

  // The glass acts as a lens: the light it gathers lands as a faint,
  // cyan-tinted glow in the far part of the shadow.
  const double caustic =
      0.18 * bump(ellipse_d2(x, y, kCentre + 44.0, kCentre + 46.0, -kInvSqrt2, kInvSqrt2, 24.0, 13.0));
  over(px, {0.82, 0.97, 1.0}, caustic);
}

// The glass itself at a point inside the ball. (nx, ny) is the position in
// units of the radius, measured from the centre; r2 = nx^2 + ny^2 < 1.
void shade_glass(Premul& px, double nx, double ny, double r2) {
  const double nz = std::sqrt(1.0 - r2);
  const double r = std::sqrt(r2);
  const double grazing = 1.0 - nz;  // 0 facing the viewer, 1 at the rim

  // Body: almost clear in the middle, where we look straight through the
  // glass, turning darker and more opaque towards the rim, where the surface
  // reflects more (Fresnel) and bends the desktop behind it out of sight.
  const double fresnel = 0.04 + 0.96 * ipow(grazing, 3);
  const double body_alpha = 0.07 + 0.20 * smoothstep(0.35, 0.95, r) + 0.55 * fresnel;
  const Rgb clear_tint{0.84, 0.96, 1.0};
  const Rgb mid_tint{0.38, 0.68, 0.84};
  const Rgb deep_tint{0.03, 0.17, 0.29};
  const Rgb body = mix(mix(clear_tint, mid_tint, smoothstep(0.40, 0.85, r)), deep_tint, smoothstep(0.78, 1.0, r));
  over(px, body, body_alpha);

  // The upper half mirrors the bright room above, seen as a faint lighter
  // sheen that fades out towards the middle.
  const double sky = clamp01(-ny) * smoothstep(0.55, 0.92, r) * (1.0 - smoothstep(0.93, 1.0, r));
  over(px, {0.85, 0.95, 1.0}, 0.22 * sky);

  // Light that enters at the top left comes out concentrated low in the
  // ball, a little right of centre: a bright crescent hugging the bottom rim.
  const double caustic_band = bump(((r - 0.80) / 0.15) * ((r - 0.80) / 0.15));
  const double toward_bottom = clamp01((nx * 0.34 + ny * 0.94) / std::max(r, 1e-9));
  const double caustic = caustic_band * ipow(toward_bottom, 4);
  over(px, {0.78, 0.97, 1.0}, 0.55 * caustic);

  // A second, weaker window reflection bounced off the back of the ball,
  // soft and low at the lower right.
  const double second = bump(ellipse_d2(nx, ny, 0.62, 0.42, -0.56, 0.83, 0.22, 0.09));
  over(px, {0.93, 0.98, 1.0}, 0.42 * second);

  // The window light itself: a broad soft glow, then a crisp near-white
  // highlight up and left of centre, where the light's reflection falls.
  const double n_dot_l = nx * kLightX + ny * kLightY + nz * kLightZ;
  const double halfway_x = kLightX;
  const double halfway_y = kLightY;
  const double halfway_z = kLightZ + 1.0;
  const double halfway_len = std::sqrt(halfway_x * halfway_x + halfway_y * halfway_y + halfway_z * halfway_z);
  const double n_dot_h = (nx * halfway_x + ny * halfway_y + nz * halfway_z) / halfway_len;
  const double glow = ipow(clamp01(n_dot_h), 24);
  over(px, {0.92, 0.98, 1.0}, 0.38 * glow * clamp01(n_dot_l * 2.0));

  const double spot = bump(ellipse_d2(nx, ny, -0.40, -0.45, kInvSqrt2, -kInvSqrt2, 0.28, 0.16));
  over(px, {1.0, 1.0, 1.0}, 0.96 * smoothstep(0.0, 0.5, spot));
  // A smaller glint of the window's second pane beside it.
  const double glint = bump(ellipse_d2(nx, ny, -0.16, -0.66, kInvSqrt2, -kInvSqrt2, 0.09, 0.05));
  over(px, {1.0, 1.0, 1.0}, 0.75 * smoothstep(0.0, 0.6, glint));

  // The rim catches the light as a thin bright line, strongest on the side
  // facing the window and never quite gone on the far side.
  const double edge = smoothstep(0.955, 0.99, r) * (1.0 - smoothstep(0.992, 1.0, r));
  const double facing = clamp01((-nx * 0.65 - ny * 0.76) / std::max(r, 1e-9));
  over(px, {0.90, 0.97, 1.0}, edge * (0.30 + 0.55 * facing));
}

std::uint8_t to_byte(double v) { return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0)); }

// Renders the whole picture as straight-alpha RGBA, row after row.
std::vector<std::uint8_t> render() {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kImageSize) * kImageSize * 4);
  constexpr double kStep = 1.0 / kSubsamples;
  for (int py = 0; py < kImageSize; ++py) {
    for (int px = 0; px < kImageSize; ++px) {
      Premul sum;
      for (int sy = 0; sy < kSubsamples; ++sy) {
        for (int sx = 0; sx < kSubsamples; ++sx) {
          // Pixel (i, j) covers [i, i+1) x [j, j+1); the ball's box is
          // [0, 120) so its centre is the point (60, 60).
          const double x = px + (sx + 0.5) * kStep;
          const double y = py + (sy + 0.5) * kStep;
          Premul sample;
          shade_ground(sample, x, y);
          const double nx = (x - kCentre) / kRadius;
          const double ny = (y - kCentre) / kRadius;
          const double r2 = nx * nx + ny * ny;
          if (r2 < 1.0) {
            shade_glass(sample, nx, ny, r2);
          }
          sum.r += sample.r;
          sum.g += sample.g;
          sum.b += sample.b;
          sum.a += sample.a;
        }
      }
      constexpr double kSamples = kSubsamples * kSubsamples;
      const double alpha = sum.a / kSamples;
      const std::uint8_t a8 = to_byte(alpha);
      std::uint8_t* out = &pixels[(static_cast<std::size_t>(py) * kImageSize + px) * 4];
      if (a8 == 0) {
        out[0] = out[1] = out[2] = out[3] = 0;  // transparent is black, not stray colour
        continue;
      }
      // PNG stores straight alpha: divide the premultiplied sum back out.
      out[0] = to_byte(sum.r / sum.a);
      out[1] = to_byte(sum.g / sum.a);
      out[2] = to_byte(sum.b / sum.a);
      out[3] = a8;
    }
  }
  return pixels;
}

// libpng reports errors by longjmp, so this function keeps nothing with a
// destructor alive across the setjmp and cleans up by hand.
bool write_png(const char* path, const std::uint8_t* pixels) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::perror(path);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "%s: libpng could not start\n", path);
    return false;
  }
  std::array<png_bytep, kImageSize> rows{};
  for (int y = 0; y < kImageSize; ++y) {
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixels + static_cast<std::size_t>(y) * kImageSize * 4);
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "%s: libpng failed to write the image\n", path);
    return false;
  }
  png_init_io(png, file);
  // Fixed settings rather than library defaults, so a libpng upgrade does
  // not quietly change the file. No gAMA, sRGB or iCCP chunk either: GDI+
  // would colour-correct the pixels on load and the glass would shift hue.
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, kImageSize, kImageSize, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) {
    std::perror(path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.png>\n", argc > 0 ? argv[0] : "make_ball_png");
    return 2;
  }
  const std::vector<std::uint8_t> pixels = render();
  return write_png(argv[1], pixels.data()) ? 0 : 1;
}
