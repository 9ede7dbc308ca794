"""The background music "pixel-sky": a 24-bar chiptune in C major that loops without a seam.

Channels as on an old console: a pulse lead (with a short echo), a thin pulse arpeggio, a
triangle bass and a noise drum kit. Everything that rings past the last bar is folded back onto
the start of the loop, so the last sample leads straight into the first.
"""
import numpy as np

from . import audio

RATE = 22050
STEP = 0.12                 # seconds per sixteenth note (125 beats per minute)
STEPS_PER_BAR = 16
STEP_SAMPLES = int(round(STEP * RATE))

NOTE_INDEX = {"C": 0, "C#": 1, "D": 2, "D#": 3, "E": 4, "F": 5, "F#": 6, "G": 7, "G#": 8, "A": 9, "A#": 10, "B": 11}

CHORDS = (
    "C G Am F C G F G "
    "Am F C G Am F Dm E "
    "F G Em Am F G C G"
).split()

CHORD_TONES = {
    "C": ("C", "E", "G"), "G": ("G", "B", "D"), "Am": ("A", "C", "E"), "F": ("F", "A", "C"),
    "Dm": ("D", "F", "A"), "E": ("E", "G#", "B"), "Em": ("E", "G", "B"),
}

# The tune, one bar per line: note and octave, then its length in sixteenths ("-" rests).
MELODY = """
E5:2 G5:2 C6:4 B5:2 G5:2 E5:4
D5:2 G5:2 B5:4 A5:2 G5:2 D5:4
C5:2 E5:2 A5:4 G5:2 E5:2 C5:2 E5:2
F5:4 A5:4 G5:4 F5:2 E5:2
E5:2 G5:2 C6:4 D6:2 C6:2 G5:4
B5:2 D6:2 G6:4 F6:2 D6:2 B5:4
A5:2 C6:2 F6:4 E6:2 C6:2 A5:2 G5:2
G5:6 A5:2 B5:4 D6:4
A5:6 C6:2 B5:4 A5:4
A5:4 F5:4 C6:6 A5:2
G5:6 E5:2 G5:4 C6:4
B5:8 D6:4 B5:4
E6:6 D6:2 C6:4 A5:4
C6:4 A5:4 F5:4 A5:4
D6:4 F6:4 E6:2 D6:2 A5:4
G#5:4 B5:4 E6:8
A5:2 C6:2 A5:2 F5:2 A5:4 C6:4
B5:2 D6:2 B5:2 G5:2 B5:4 D6:4
E6:4 B5:4 G5:4 B5:4
C6:4 A5:4 E5:4 A5:4
F5:2 A5:2 C6:2 F6:2 E6:4 C6:4
D6:2 B5:2 G5:2 B5:2 D6:4 G6:4
E6:6 D6:2 C6:4 G5:4
D6:4 B5:4 G5:2 A5:2 B5:2 D6:2
"""


def frequency(name, octave):
    semitone = NOTE_INDEX[name] + 12 * (octave + 1)   # MIDI numbering: C4 = 60
    return 440.0 * 2.0 ** ((semitone - 69) / 12.0)


def _parse_note(token):
    name, length = token.split(":")
    if name == "-":
        return None, int(length)
    return (name[:-1], int(name[-1])), int(length)


def melody_notes():
    notes = []
    for bar, line in enumerate(MELODY.strip().splitlines()):
        step = bar * STEPS_PER_BAR
        tokens = line.split()
        if sum(_parse_note(token)[1] for token in tokens) != STEPS_PER_BAR:
            raise ValueError("bar %d of the melody does not fill 16 steps" % (bar + 1))
        for token in tokens:
            pitch, length = _parse_note(token)
            if pitch is not None:
                # One octave down: the tune is written high for readability.
                notes.append((step, length, frequency(pitch[0], pitch[1] - 1)))
            step += length
    return notes


def _root(chord):
    return CHORD_TONES[chord][0]


def bass_notes():
    notes = []
    for bar, chord in enumerate(CHORDS):
        root, fifth = CHORD_TONES[chord][0], CHORD_TONES[chord][2]
        pattern = [(root, 2), (root, 3), (root, 2), (root, 3), (fifth, 2), (root, 3), (root, 2), (fifth, 2)]
        for index, (name, octave) in enumerate(pattern):
            notes.append((bar * STEPS_PER_BAR + index * 2, 2, frequency(name, octave)))
    return notes


def arpeggio_notes():
    notes = []
    for bar, chord in enumerate(CHORDS):
        if bar < 8:
            continue   # the first eight bars leave room for the tune
        tones = CHORD_TONES[chord]
        for step in range(STEPS_PER_BAR):
            name = tones[step % 3]
            octave = 4 if NOTE_INDEX[name] >= NOTE_INDEX[tones[0]] else 5
            notes.append((bar * STEPS_PER_BAR + step, 1, frequency(name, octave)))
    return notes


def drum_hits():
    hits = []
    for bar in range(len(CHORDS)):
        base = bar * STEPS_PER_BAR
        fill = bar % 8 == 7
        for step in range(STEPS_PER_BAR):
            if step in (0, 8) or (step == 10 and bar % 2 == 1):
                hits.append((base + step, "kick"))
            if step in (4, 12) or (fill and step in (13, 14, 15)):
                hits.append((base + step, "snare"))
            if step % 2 == 0 and not (fill and step >= 12):
                hits.append((base + step, "hat"))
            elif bar >= 8 and step % 4 == 3:
                hits.append((base + step, "hat"))
    return hits


def _tone(length_steps, pitch, kind, duty=0.25, vibrato=True):
    length = length_steps * STEP_SAMPLES
    t = np.arange(length) / RATE
    freq = np.full(length, pitch)
    if vibrato and length_steps >= 4:
        depth = np.clip((t - 0.18) / 0.1, 0.0, 1.0) * 0.006
        freq = pitch * (1.0 + depth * np.sin(2 * np.pi * 5.5 * t))
    phase = audio.phase_of(freq, RATE)
    if kind == "pulse":
        wave = audio.pulse(phase, freq, RATE, duty)
    else:
        wave = audio.triangle(phase, freq, RATE)
    gate = np.ones(length)
    release = int(0.025 * RATE)
    attack = int(0.004 * RATE)
    gate[:attack] = np.linspace(0.0, 1.0, attack)
    gate[-release:] *= np.linspace(1.0, 0.0, release)
    if kind == "pulse":
        gate *= 0.72 + 0.28 * np.exp(-t / 0.09)
    return wave * gate


def _drum(kind, rng):
    if kind == "kick":
        length = int(0.16 * RATE)
        t = np.arange(length) / RATE
        sweep = 48 + 110 * np.exp(-t * 35)
        phase = audio.phase_of(sweep, RATE)
        return audio.triangle(phase, sweep, RATE) * np.exp(-t / 0.07) * 1.2
    if kind == "snare":
        length = int(0.14 * RATE)
        t = np.arange(length) / RATE
        noise = audio.chip_noise(length, rng, 2)
        body = audio.triangle(audio.phase_of(np.full(length, 190.0), RATE), 190.0, RATE) * np.exp(-t / 0.03)
        return (noise * np.exp(-t / 0.045) * 0.7 + body * 0.5)
    length = int(0.035 * RATE)
    t = np.arange(length) / RATE
    noise = audio.chip_noise(length, rng, 1)
    return (noise - np.roll(noise, 1)) * 0.5 * np.exp(-t / 0.012)


def render():
    total_steps = len(CHORDS) * STEPS_PER_BAR
    length = total_steps * STEP_SAMPLES
    tail = 3 * RATE
    mix = np.zeros(length + tail)

    def add(at_step, signal, gain):
        start = at_step * STEP_SAMPLES
        mix[start:start + len(signal)] += signal * gain

    lead = np.zeros(length + tail)
    for step, steps, pitch in melody_notes():
        signal = _tone(steps, pitch, "pulse", duty=0.25)
        start = step * STEP_SAMPLES
        lead[start:start + len(signal)] += signal
    echo = np.zeros_like(lead)
    delay = 3 * STEP_SAMPLES
    echo[delay:] = lead[:-delay] * 0.28
    mix += (lead + echo) * 0.2
    for step, steps, pitch in bass_notes():
        add(step, _tone(steps, pitch, "triangle", vibrato=False), 0.34)
    for step, steps, pitch in arpeggio_notes():
        add(step, _tone(steps, pitch, "pulse", duty=0.125, vibrato=False), 0.05)
    rng = np.random.default_rng(777)
    gains = {"kick": 0.42, "snare": 0.2, "hat": 0.07}
    for step, kind in drum_hits():
        add(step, _drum(kind, rng), gains[kind])
    # Fold everything that rings past the end back onto the start: the loop has no seam.
    loop = mix[:length].copy()
    loop[:tail] += mix[length:length + tail]
    loop = np.tanh(loop * 1.1) / np.tanh(1.1)
    return audio.normalise(loop, 0.88)


def build(assets_dir):
    audio.write_wav("%s/Sounds/pixel-sky.wav" % assets_dir, render(), RATE)
