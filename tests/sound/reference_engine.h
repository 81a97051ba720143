// A plain, unoptimised transcription of the engine's arithmetic, one sample at
// a time, for checking the real engine sample by sample.  Written for
// clarity, not speed: no per-buffer hoisting, no instantiation per instrument.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace reference {

struct Engine {
    // Song and settings.
    uint8_t grid[8][16] = {};
    int pace = 108, bank = 0, voice = 0, wobble = 0, echo = 0, space = 0;
    bool on_grid = true;
    // Clock and voices.
    int step = 15;
    double step_pos = 0.0;
    int gate[8] = {};
    double env[8] = {}, phase[8] = {}, peak[8] = {}, pitch_mul[8] = {};
    // Effects.
    double tone = 0.0, dc_out = 0.0, dc_prev = 0.0, limiter = 0.0;
    float echo_mix = 0.0f, space_mix = 0.0f;
    std::vector<float> line = std::vector<float>(96000), comb_a = std::vector<float>(3557),
                       comb_b = std::vector<float>(4217);
    int line_pos = 0, a_pos = 0, b_pos = 0;
};

inline double step_length(const Engine& e)
{
    static const double offsets[8] = {0.0, 0.018, -0.012, 0.008, -0.02, 0.014, -0.006, 0.01};
    static const double swing[2] = {-0.035, 0.035};
    double w = 1.0;
    if (e.wobble != 0) {
        double a = e.wobble == 1 ? 2.8 : 4.2;
        if (e.bank == 0) w = 1.0 + a * offsets[(e.step + 1) % 8];
        if (e.bank == 1) w = 1.0 + a * swing[e.step % 2 == 0 ? 1 : 0];
        if (e.bank == 2) w = 1.0 + 0.72 * (a * offsets[(3 * (e.step + 1)) % 8]);
    }
    return w * (2880000.0 / (static_cast<double>(e.pace) * 4.0));
}

inline void start(Engine& e, int r, double p, double m)
{
    e.gate[r] = 1;
    if (e.env[r] < 0.05) e.phase[r] = 0.0;
    e.peak[r] = p;
    e.pitch_mul[r] = m;
}

inline void tick(Engine& e)
{
    e.step_pos = e.step_pos + 1.0;
    double l = step_length(e);
    if (!(e.step_pos >= l)) return;
    e.step = (e.step + 1) % 16;
    e.step_pos = e.step_pos - l;
    for (int r = 0; r < 8; r++) {
        if (!e.grid[r][e.step]) continue;
        start(e, r, 1.0, 1.0);
        if (e.wobble == 0) continue;
        int t = (5 * e.step + 7 * e.bank + 3 * r) % 16;
        double a = e.wobble == 1 ? 0.23 : 0.34;
        e.peak[r] = 0.93 + 0.5 * a * (t % 3);
        if (e.bank == 0 && t == 5) e.peak[r] = e.peak[r] * 0.86;
        if (e.bank == 1 && e.wobble == 2 && t == 0) e.pitch_mul[r] = 2.0;
        if (e.bank == 2) e.peak[r] = e.peak[r] * (0.92 + 0.025 * (e.step % 4));
    }
}

inline double blep(double t, double dt)
{
    if (t < dt) {
        double x = t / dt;
        return 2 * x - x * x - 1;
    }
    if (t > 1 - dt) {
        double x = (t - 1) / dt;
        return x * x + 2 * x + 1;
    }
    return 0;
}

inline double wave(int c, double p, double dt)
{
    const double pi = 3.141592653589793;
    auto s = [&](int k) { return std::sin((p * (2.0 * k)) * pi); };
    double tri = 1 - 4 * std::fabs(p - 0.5);
    auto pulse = [&](double duty) {
        double q = p - duty;
        if (q < 0) q = q + 1;
        return (p < duty ? 1.0 : -1.0) + blep(p, dt) - blep(q, dt);
    };
    switch (c) {
    case 0: return 0.78 * s(1) + 0.15 * s(2) + 0.07 * tri;
    case 1: return 0.62 * s(1) + 0.25 * s(3) + 0.13 * s(5);
    case 2: return 0.55 * s(1) + 0.33 * tri + 0.12 * s(4);
    case 3: return 0.52 * pulse(0.5) + 0.48 * s(1);
    case 4: return 0.72 * tri + 0.28 * s(1);
    case 5: return 0.5 * s(1) + 0.19 * s(2) + 0.2 * s(4) + 0.11 * s(6);
    case 6: return 0.38 * pulse(0.38) + 0.62 * s(1);
    case 7: return 0.74 * s(1) - 0.2 * s(2) + 0.06 * s(3);
    default: return 0.48 * s(1) + 0.31 * s(3) + 0.21 * s(5);
    }
}

inline double voices(Engine& e, int c)
{
    static const double attack[9] = {0.006,  0.003, 0.004, 0.005, 0.004,
                                     0.0025, 0.008, 0.006, 0.003};
    static const double release[9] = {0.99935, 0.99962, 0.99918, 0.99912, 0.99892,
                                      0.99928, 0.99952, 0.99942, 0.99968};
    static const double pitch[8] = {523.251, 440.0,   391.995, 329.628,
                                    293.665, 261.626, 220.0,   195.998};
    double sum = 0.0;
    for (int r = 0; r < 8; r++) {
        if (e.gate[r] == 1) {
            e.env[r] = e.env[r] + 1 / (attack[c] * 48000);
            if (e.env[r] >= e.peak[r]) {
                e.env[r] = e.peak[r];
                e.gate[r] = 0;
            }
        } else if (e.env[r] > 0.001) {
            e.env[r] = e.env[r] * release[c];
        } else {
            continue;
        }
        double dt = pitch[r] * e.pitch_mul[r] / 48000;
        sum = sum + wave(c, e.phase[r], dt) * e.env[r];
        e.phase[r] = e.phase[r] + dt;
        if (e.phase[r] >= 1) e.phase[r] = e.phase[r] - 1;
    }
    return sum;
}

inline void effects(Engine& e, double sum, int c, int16_t& left, int16_t& right)
{
    static const double tone_coef[9] = {0.42, 0.58, 0.36, 0.34, 0.4, 0.56, 0.3, 0.44, 0.54};
    static const double gain[9] = {0.84, 0.96, 1.02, 0.58, 0.98, 1.0, 0.62, 0.86, 0.98};
    static const float echo_send[4] = {0, 0.12f, 0.2f, 0.28f},
                       echo_fb[4] = {0, 0.17f, 0.27f, 0.37f};
    static const float space_send[4] = {0, 0.08f, 0.14f, 0.21f},
                       comb_fb[4] = {0, 0.52f, 0.62f, 0.7f};
    static const double echo_time[4] = {1.5, 0.5, 0.75, 1.5};

    e.tone = e.tone + tone_coef[c] * (sum - e.tone);
    double y = e.tone * gain[c];
    double d = 0.9844 * e.dc_out + (y - e.dc_prev);
    e.dc_prev = y;
    e.dc_out = d;
    e.echo_mix = e.echo_mix + 9e-4f * (echo_send[e.echo] - e.echo_mix);
    e.space_mix = e.space_mix + 9e-4f * (space_send[e.space] - e.space_mix);
    int delay = static_cast<int>((2880000.0 / e.pace) * echo_time[e.echo]);
    if (delay > 95999) delay = 95999;
    float tap = e.line[(e.line_pos - delay + 96000) % 96000];
    e.line[e.line_pos] = tap * echo_fb[e.echo] + static_cast<float>(d);
    float w = tap * e.echo_mix;
    float x = static_cast<float>(d + w);
    float a = e.comb_a[e.a_pos];
    e.comb_a[e.a_pos] = a * comb_fb[e.space] + x;
    float b = e.comb_b[e.b_pos];
    e.comb_b[e.b_pos] = b * (comb_fb[e.space] - 0.035f) + x;
    float wet_l = (0.7f * a + 0.3f * b) * e.space_mix;
    float wet_r = (0.3f * a + 0.7f * b) * e.space_mix;
    double l = ((d + w) + wet_l) * 0.92 * 2.4;
    double r = ((d + w) + wet_r) * 0.92 * 2.4;
    double m = std::fabs(l) > std::fabs(r) ? std::fabs(l) : std::fabs(r);
    if (m > e.limiter)
        e.limiter = m;
    else
        e.limiter = e.limiter * 0.9999;
    e.line_pos = (e.line_pos + 1) % 96000;
    e.a_pos = (e.a_pos + 1) % 3557;
    e.b_pos = (e.b_pos + 1) % 4217;
    if (e.limiter > 1.3) {
        l = l * (1.3 / e.limiter);
        r = r * (1.3 / e.limiter);
    }
    left = static_cast<int16_t>(std::tanh(l) * 0.94 * 32767);
    right = static_cast<int16_t>(std::tanh(r) * 0.94 * 32767);
}

// One buffer of `frames` frames, interleaved, left first.
inline void render(Engine& e, int16_t* out, int frames)
{
    int c = e.bank * 3 + e.voice;
    for (int i = 0; i < frames; i++) {
        if (e.on_grid) tick(e);
        double sum = voices(e, c);
        effects(e, sum, c, out[2 * i], out[2 * i + 1]);
    }
}

}  // namespace reference
