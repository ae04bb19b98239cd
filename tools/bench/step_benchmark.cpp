// One animation tick of the ball table (edges, move, the 45 pair tests) on a
// 1024 x 768 screen at 15 twips per pixel.
#include <benchmark/benchmark.h>

#include "saver/ball_table.h"

namespace {

using namespace orbisette;

const ScreenGeometry Screen = ScreenFromPixels(1024, 768, {});
constexpr float MoveSpeed = 30.0f;

// Balls dealt as a run starts them, then stepped tick after tick: most pairs
// are far apart and leave after the distance test.
void AnimationStepPlaced(benchmark::State& state) {
  BallTable balls{};
  TimeSeededRandom random(43200.5f);
  PlaceBalls(balls, Screen, MoveSpeed, random);
  const float pi = MakePi();
  for (auto _ : state) {
    AnimationStep(balls, Screen, ReboundOn, MoveSpeed, pi);
    benchmark::DoNotOptimize(balls);
  }
}
BENCHMARK(AnimationStepPlaced);

// All ten balls in one small cluster, every pair in contact: two bearings and
// four sines or cosines per pair. The cluster is restored before each tick so
// that it never spreads out of contact.
void AnimationStepAllOverlapping(benchmark::State& state) {
  BallTable cluster{};
  for (std::size_t k = 0; k < BallCount; ++k) {
    const float offset = static_cast<float>(k);
    cluster[k] = {6000 + offset * 97, 5000 + offset * 61, MoveSpeed, -MoveSpeed};
  }
  const float pi = MakePi();
  for (auto _ : state) {
    BallTable balls = cluster;
    AnimationStep(balls, Screen, ReboundOn, MoveSpeed, pi);
    benchmark::DoNotOptimize(balls);
  }
}
BENCHMARK(AnimationStepAllOverlapping);

}  // namespace
