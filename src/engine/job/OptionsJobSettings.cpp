#include "job/OptionsJobSettings.h"

OptionsJobSettings::OptionsJobSettings(Source source, const UserTable &users)
    : m_source(std::move(source)), m_users(users)
{
}

OptionsJobSettings::OptionsJobSettings(JobOptions &held, const UserTable &users)
    : OptionsJobSettings(Source{[&held] { return held; },
                                [&held](const QString &text) { held.savePath = text; },
                                [&held](const QString &text) { held.favPath = text; },
                                [&held] { held.shutdown = false; }},
                         users)
{
}

bool OptionsJobSettings::typeWanted(int entry) const
{
    return entry >= 0 && entry < TypeCount && options().types[size_t(entry)];
}

bool OptionsJobSettings::ratingWanted(int rating) const
{
    return rating >= 0 && rating < RatingCount && options().ratings[size_t(rating)];
}
