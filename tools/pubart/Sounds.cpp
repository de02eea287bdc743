#include "Generator.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace pubart {
namespace {

// Sounds are synthesised: noise bursts shaped by resonant filters and
// envelopes, written as plain PCM WAVE files with the canonical 44-byte
// header.

using Samples = std::vector<double>;

int SampleCount(double seconds, int rate) {
    return int(std::lround(seconds * rate));
}

QString WavePath(pubres::Id id) {
    return QStringLiteral("wave/%1.wav").arg(id);
}

QByteArray Wave(const Samples& samples, int rate, int bits) {
    const int bytesPerSample = bits / 8;
    const quint32 dataBytes = quint32(samples.size()) * bytesPerSample;
    QByteArray wave;
    auto le32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wave.append(b, 4);
    };
    auto le16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wave.append(b, 2);
    };
    wave.append("RIFF", 4);
    le32(36 + dataBytes);
    wave.append("WAVEfmt ", 8);
    le32(16);
    le16(1); // PCM
    le16(1); // mono
    le32(quint32(rate));
    le32(quint32(rate * bytesPerSample));
    le16(quint16(bytesPerSample));
    le16(quint16(bits));
    wave.append("data", 4);
    le32(dataBytes);
    for (double s : samples) {
        const double v = std::clamp(s, -1.0, 1.0);
        if (bits == 8)
            wave.append(char(quint8(std::lround(128 + v * 127))));
        else
            le16(quint16(qint16(std::lround(v * 32767))));
    }
    return wave;
}

// A two-pole band-pass filter (constant peak gain).
class BandPass {
public:
    BandPass(double centre, double q, int rate) { Tune(centre, q, rate); }
    void Tune(double centre, double q, int rate) {
        const double w = 2 * M_PI * centre / rate;
        const double alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        m_b0 = alpha / a0;
        m_a1 = -2 * std::cos(w) / a0;
        m_a2 = (1 - alpha) / a0;
    }
    double operator()(double x) {
        const double y = m_b0 * x - m_b0 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    double m_b0 = 0, m_a1 = 0, m_a2 = 0;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

class Noise {
public:
    explicit Noise(unsigned seed) : m_engine(seed) {}
    double operator()() { return m_engine() / double(std::mt19937::max()) * 2 - 1; }
    double Uniform(double low, double high) { return low + (high - low) * (operator()() + 1) / 2; }

private:
    std::mt19937 m_engine;
};

void Normalise(Samples& samples, double peak) {
    double top = 0;
    for (double s : samples)
        top = std::max(top, std::abs(s));
    if (top > 0)
        for (double& s : samples)
            s *= peak / top;
}

// Cards flicking off the pack: eight paper snaps per loop. The loop joins
// midway between two snaps, and a snap's tail wraps round to the start, so
// repeating it does not click.
Samples Riffle() {
    const int rate = 22050;
    Samples out(SampleCount(0.20, rate), 0.0);
    const int n = int(out.size());
    Noise noise(pubres::IDW_DISTR);
    const int snaps = 8;
    for (int k = 0; k < snaps; ++k) {
        const int start = (2 * k + 1) * n / (2 * snaps) + int(noise.Uniform(-30, 30));
        const double gain = noise.Uniform(0.55, 1.0);
        BandPass paper(noise.Uniform(2200, 4200), 1.4, rate);
        BandPass thump(noise.Uniform(500, 800), 2.0, rate);
        const int length = rate * 30 / 1000;
        for (int i = 0; i < length; ++i) {
            const double t = double(i) / rate;
            const double attack = std::min(1.0, t / 0.0004);
            const double crack = noise() * std::exp(-t / 0.0009);
            const double body = paper(noise()) * 2.2 * std::exp(-t / 0.0035);
            const double low = thump(noise()) * 1.6 * std::exp(-t / 0.0045);
            out[((start + i) % n + n) % n] += gain * attack * (0.35 * crack + body + low);
        }
    }
    Normalise(out, 0.85);
    return out;
}

// The trick sliding off the table: a soft swish rising in pitch, silent at
// both ends so that it repeats smoothly.
Samples Sweep() {
    const int rate = 11025;
    Samples out(SampleCount(0.13, rate), 0.0);
    const int n = int(out.size());
    Noise noise(pubres::IDW_TAKE);
    BandPass swish(400, 1.8, rate);
    BandPass swish2(400, 1.8, rate);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double x = double(i) / (n - 1);
        const double centre = 350 * std::pow(2200.0 / 350, x);
        swish.Tune(centre, 1.8, rate);
        swish2.Tune(centre, 1.8, rate);
        phase += 2 * M_PI * centre * 0.5 / rate;
        const double envelope = std::pow(std::sin(M_PI * x), 2);
        out[i] = envelope * (swish2(swish(noise())) * 3.0 + 0.12 * std::sin(phase));
    }
    Normalise(out, 0.5);
    return out;
}

// A short knock of a card landing: a damped ring over a noise transient.
Samples Click(double pitch, double decay, unsigned seed) {
    const int rate = 22050;
    Samples out(SampleCount(0.009, rate), 0.0);
    const int n = int(out.size());
    Noise noise(seed);
    BandPass tone(pitch, 6, rate);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        const double ring = tone(noise() * (i < 12 ? 1.0 : 0.0)) * 6;
        const double transient = noise() * std::exp(-t / 0.0004);
        const double fade = std::min(1.0, double(n - 1 - i) / 24);
        out[i] = fade * std::exp(-t / decay) * (ring + 0.4 * transient);
    }
    Normalise(out, 0.8);
    return out;
}

} // namespace

bool WriteSounds(const QDir& out) {
    bool ok = SaveBytes(Wave(Riffle(), 22050, 8), out, WavePath(pubres::IDW_DISTR));
    ok = SaveBytes(Wave(Sweep(), 11025, 16), out, WavePath(pubres::IDW_TAKE)) && ok;
    ok = SaveBytes(Wave(Click(2900, 0.0016, pubres::IDW_CARD_GO), 22050, 8), out,
                   WavePath(pubres::IDW_CARD_GO)) &&
         ok;
    ok = SaveBytes(Wave(Click(1500, 0.0022, pubres::IDW_CARD_RESET), 22050, 8), out,
                   WavePath(pubres::IDW_CARD_RESET)) &&
         ok;
    return ok;
}

} // namespace pubart
