#ifndef FSOUND_H
#define FSOUND_H

// A small sound library on SDL_mixer: WAV samples played on numbered
// channels, each with its own volume. One mixer per process; every call is
// made from one thread. Channel numbers outside 0 .. channels-1 (as given
// to FSOUND_Init) are ignored: those calls do nothing and answer false or 0.

// Asks for any free slot or channel.
const int FSOUND_FREE = -1;

// Sample modes; only the loop bits change how a sample plays.
const unsigned int FSOUND_LOOP_OFF = 0x1;
const unsigned int FSOUND_LOOP_NORMAL = 0x2;
const unsigned int FSOUND_2D = 0x2000;

// A loaded sample. Made by FSOUND_Sample_Load, freed by FSOUND_Close.
struct FSOUND_SAMPLE;

// Starts SDL audio and the mixer at mixrate Hz, signed 16-bit stereo, with
// maxchannels channels (1 .. 1024). flags is unused. False when the audio
// device cannot be opened, the arguments are out of range, or the library
// is already started.
bool FSOUND_Init(int mixrate, int maxchannels, unsigned int flags);

// Loads the sound file name: a WAV of 8- or 16-bit PCM, mono or stereo,
// at 4 to 192 kHz, whose chunks fit the file (other files are refused: the
// mixer's other readers trust their headers). index must be FSOUND_FREE
// and memlength 0 (the name is a file name). With FSOUND_LOOP_NORMAL in mode the sample loops
// when played; otherwise it plays once. Null on failure or before
// FSOUND_Init. The library keeps the sample until FSOUND_Close.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int memlength);

// Starts sample on channel (FSOUND_FREE: the lowest channel that is not
// playing) at full volume, 255. Returns the channel, or -1 when there is no
// such free channel or sample is null.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);

// Sets the channel's volume, 0 (silent) .. 255 (full); values outside are
// clamped. The volume holds until the next set or the next sound started
// on the channel.
bool FSOUND_SetVolume(int channel, int vol);

// The channel's volume: the last one set there, or 255 after a sound was
// started there (255 on a channel never used).
int FSOUND_GetVolume(int channel);

// Stops the channel's sound; the channel becomes free.
bool FSOUND_StopSound(int channel);

// Pauses (paused non-zero) or resumes the channel's sound.
bool FSOUND_SetPaused(int channel, signed char paused);

// True while a sound is on the channel, paused or not.
bool FSOUND_IsPlaying(int channel);

// Stops every channel, frees every loaded sample and closes the mixer.
// Samples loaded before are invalid afterwards. FSOUND_Init may follow.
void FSOUND_Close();

#endif
