#include "WordFeatures.h"

#include <cmath>

#include "SecondReading.h"

namespace {

double Doubt(double confidence)
{
    // 0 for a sure 100, rising steeply near it: the engine's confidences crowd at the top.
    return std::log(101.0 - confidence);
}

} // namespace

WordFeatures WordFeatures::Of(const PageWords::Word& word, const PageWords* secondReading)
{
    return FromConfidences(word.confidence, LeastCharConfidence(word),
                           secondReading != nullptr && SecondReading::Differs(word, *secondReading));
}

WordFeatures WordFeatures::FromConfidences(double confidence, double leastCharConfidence, bool secondDiffers)
{
    WordFeatures features;
    features.wordDoubt = Doubt(confidence);
    features.charDoubt = Doubt(leastCharConfidence);
    features.secondDiffers = secondDiffers;
    return features;
}

double WordFeatures::LeastCharConfidence(const PageWords::Word& word)
{
    return word.characters.empty() ? word.confidence : RecognisedCharacter::LeastConfidence(word.characters);
}
