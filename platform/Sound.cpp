#include "Sound.h"

#include "GuiThread.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <list>
#include <memory>

namespace platform {
namespace {

// Lives on the GUI thread; every request reaches it through the GUI queue.
class SoundPlayer {
public:
    static SoundPlayer& instance() {
        static SoundPlayer* player = new SoundPlayer; // kept to process exit
        return *player;
    }

    bool hasOutput() {
        if (!m_checked) {
            m_checked = true;
            m_hasOutput = !QMediaDevices::defaultAudioOutput().isNull();
        }
        return m_hasOutput;
    }

    void tone(DWORD frequency, DWORD duration) {
        if (!hasOutput())
            return;
        dropFinished();
        QAudioFormat format;
        format.setSampleRate(22050);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        auto beep = std::make_unique<Tone>();
        const QByteArray wave = MakeToneWave(frequency, duration);
        beep->buffer.setData(wave.mid(44)); // PCM after the RIFF header
        beep->buffer.open(QIODevice::ReadOnly);
        beep->sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format);
        beep->sink->start(&beep->buffer);
        m_tones.push_back(std::move(beep));
    }

    void wave(HINSTANCE module, UINT id, bool loop) {
        if (!hasOutput() || !module || !HasResource(module, ResourceType::Wave, id))
            return;
        stop();
        // QSoundEffect reads from a URL; the resource tree is reachable as qrc:.
        const QString path = ResourcePath(module, ResourceType::Wave, id);
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl(QStringLiteral("qrc") + path));
        m_effect->setLoopCount(loop ? QSoundEffect::Infinite : 1);
        m_effect->play();
    }

    void stop() {
        if (m_effect)
            m_effect->stop();
        m_effect.reset();
        for (auto& t : m_tones)
            t->sink->stop();
        m_tones.clear();
    }

private:
    struct Tone {
        QBuffer buffer;
        std::unique_ptr<QAudioSink> sink;
    };

    void dropFinished() {
        m_tones.remove_if([](const std::unique_ptr<Tone>& t) {
            return t->sink->state() == QAudio::IdleState || t->sink->state() == QAudio::StoppedState;
        });
    }

    bool m_checked = false;
    bool m_hasOutput = false;
    std::list<std::unique_ptr<Tone>> m_tones;
    std::unique_ptr<QSoundEffect> m_effect;
};

void putLe16(QByteArray& b, int offset, quint16 v) { qToLittleEndian(v, b.data() + offset); }
void putLe32(QByteArray& b, int offset, quint32 v) { qToLittleEndian(v, b.data() + offset); }

} // namespace

QByteArray MakeToneWave(DWORD frequency, DWORD durationMs, int sampleRate) {
    const int samples = static_cast<int>(std::int64_t(sampleRate) * durationMs / 1000);
    QByteArray wave(44 + samples * 2, '\0');
    std::memcpy(wave.data(), "RIFF", 4);
    putLe32(wave, 4, static_cast<quint32>(36 + samples * 2));
    std::memcpy(wave.data() + 8, "WAVEfmt ", 8);
    putLe32(wave, 16, 16);
    putLe16(wave, 20, 1); // PCM
    putLe16(wave, 22, 1); // mono
    putLe32(wave, 24, static_cast<quint32>(sampleRate));
    putLe32(wave, 28, static_cast<quint32>(sampleRate * 2));
    putLe16(wave, 32, 2);
    putLe16(wave, 34, 16);
    std::memcpy(wave.data() + 36, "data", 4);
    putLe32(wave, 40, static_cast<quint32>(samples * 2));
    // A few milliseconds of fade at both ends keep the tone from clicking.
    const int fade = qMin(samples / 2, sampleRate / 200);
    for (int i = 0; i < samples; ++i) {
        double amplitude = 0.35;
        if (fade > 0 && i < fade)
            amplitude *= double(i) / fade;
        if (fade > 0 && samples - 1 - i < fade)
            amplitude *= double(samples - 1 - i) / fade;
        const double v = amplitude * std::sin(2.0 * M_PI * frequency * i / sampleRate);
        putLe16(wave, 44 + i * 2, static_cast<quint16>(static_cast<qint16>(v * 32767)));
    }
    return wave;
}

bool HasAudioOutput() {
    bool has = false;
    RunOnGuiThread([&] { has = SoundPlayer::instance().hasOutput(); });
    return has;
}

void PlayWaveResource(HINSTANCE module, UINT id, bool loop) {
    PostToGuiThread([module, id, loop] { SoundPlayer::instance().wave(module, id, loop); });
}

void StopAllSounds() {
    PostToGuiThread([] { SoundPlayer::instance().stop(); });
}

} // namespace platform

BOOL Beep(DWORD frequency, DWORD duration) {
    if (frequency < 37 || frequency > 32767)
        return FALSE;
    platform::PostToGuiThread([frequency, duration] {
        platform::SoundPlayer::instance().tone(frequency, duration);
    });
    return TRUE;
}
