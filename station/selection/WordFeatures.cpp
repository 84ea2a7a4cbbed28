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
    WordFeatures features;
    features.wordDoubt = Doubt(word.confidence);
    features.charDoubt =
        Doubt(word.characters.empty() ? word.confidence : RecognisedCharacter::LeastConfidence(word.characters));
    if (secondReading != nullptr) {
        features.secondDiffers = SecondReading::Differs(word, *secondReading);
    }
    return features;
}
