#include "QuorZubCore/Engine/ZubMathEvaluator.h"

#include "QuorKit/Utilities/QuorBidiIsolation.h"
#include "QuorKit/Utilities/QuorGraphemeBoundaries.h"
#include "QuorKit/Utilities/QuorGraphemes.h"

#include <unicode/uchar.h>

#include <charconv>
#include <cmath>
#include <system_error>
#include <vector>

namespace {
using Kind = ZubMathEvaluator::MathError::Kind;

[[noreturn]] void fail(Kind kind, const QString& character = {})
{
    throw ZubMathEvaluator::MathError(kind, character);
}

QString describe(Kind kind, const QString& character)
{
    switch (kind) {
    case Kind::invalidCharacter:
        // The character may itself be a direction override, which would turn the rest around.
        return QStringLiteral("Unsupported character '%1' in expression.").arg(QuorBidiIsolation::isolated(character));
    case Kind::emptyExpression:
        return QStringLiteral("Empty math expression.");
    case Kind::unexpectedToken:
        return QStringLiteral("Invalid expression syntax.");
    case Kind::unmatchedParenthesis:
        return QStringLiteral("Unmatched parenthesis in expression.");
    case Kind::divisionByZero:
        return QStringLiteral("Division by zero.");
    case Kind::nonFiniteResult:
        return QStringLiteral("Result is not a finite number.");
    }
    return {};
}

// ---- tokens ----

enum class TokenType { number, plus, minus, multiply, divide, power, leftParen, rightParen, percent };

struct Token {
    TokenType type;
    double value = 0;
    // A number written directly before "%".
    bool isPercent = false;
};

UChar32 firstScalar(QStringView cluster)
{
    return static_cast<UChar32>(QuorGraphemes::firstScalar(cluster));
}

bool isNumericCluster(QStringView cluster)
{
    if (cluster == u"." || cluster == u",") {
        return true;
    }
    return u_getIntPropertyValue(firstScalar(cluster), UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

bool isSkippedCluster(QStringView cluster)
{
    return cluster == u"_" || u_isUWhiteSpace(firstScalar(cluster));
}

std::optional<TokenType> operatorToken(QStringView cluster)
{
    if (cluster.size() > 1) {
        return std::nullopt;
    }
    switch (cluster.front().unicode()) {
    case u'+':
        return TokenType::plus;
    case u'-':
    case u'\u2212':
    case u'\u2013':
        return TokenType::minus;
    case u'*':
    case u'\u00D7':
    case u'\u00B7':
        return TokenType::multiply;
    case u'/':
    case u'\u00F7':
        return TokenType::divide;
    case u'^':
        return TokenType::power;
    case u'(':
        return TokenType::leftParen;
    case u')':
        return TokenType::rightParen;
    case u'%':
        return TokenType::percent;
    default:
        return std::nullopt;
    }
}

// A digit run with "." and "," as decimal or thousands separators, to a double.
double readNumber(QString run)
{
    const qsizetype dots = run.count(u'.');
    const qsizetype commas = run.count(u',');
    if (commas > 0 && dots == 0) {
        if (commas == 1) {
            run.replace(u',', u'.');
        } else {
            run.remove(u',');
        }
    } else if (dots > 1 && commas == 0) {
        run.remove(u'.');
    } else if (dots > 0 && commas > 0) {
        if (run.lastIndexOf(u',') > run.lastIndexOf(u'.')) {
            run.remove(u'.');
            run.replace(u',', u'.');
        } else {
            run.remove(u',');
        }
    }
    // A plain decimal literal of ASCII digits; digits of other scripts, fractions and superscripts
    // are numeric too but are no literal.
    std::string literal;
    literal.reserve(static_cast<size_t>(run.size()));
    bool hasDigit = false;
    bool hasPoint = false;
    for (const QChar c : run) {
        if (c >= u'0' && c <= u'9') {
            hasDigit = true;
        } else if (c == u'.' && !hasPoint) {
            hasPoint = true;
        } else {
            fail(Kind::unexpectedToken);
        }
        literal.push_back(static_cast<char>(c.unicode()));
    }
    if (!hasDigit) {
        fail(Kind::unexpectedToken);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value,
                                              std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        // Hundreds of digits: too large is infinite (reported later as non-finite), too small is 0.
        const bool large = literal.find_first_of("123456789") < literal.find('.');
        return large ? HUGE_VAL : 0.0;
    }
    if (error != std::errc() || end != literal.data() + literal.size()) {
        fail(Kind::unexpectedToken);
    }
    return value;
}

std::vector<Token> tokenize(const QString& text)
{
    std::vector<Token> tokens;
    std::vector<QStringView> characters;
    QuorGraphemeBoundaries::forEach(text, [&](QStringView character) { characters.push_back(character); });
    const auto clusterAt = [&](size_t index) { return characters[index]; };
    const size_t count = characters.size();
    size_t index = 0;
    while (index < count) {
        const QStringView cluster = clusterAt(index);
        if (isSkippedCluster(cluster)) {
            ++index;
            continue;
        }
        if (isNumericCluster(cluster)) {
            QString run;
            while (index < count && isNumericCluster(clusterAt(index))) {
                run += clusterAt(index);
                ++index;
            }
            Token token{TokenType::number, readNumber(run)};
            if (index < count && clusterAt(index) == u"%") {
                token.isPercent = true;
                ++index;
            }
            tokens.push_back(token);
            continue;
        }
        const auto type = operatorToken(cluster);
        if (!type) {
            fail(Kind::invalidCharacter, cluster.toString());
        }
        tokens.push_back(Token{*type});
        ++index;
    }
    return tokens;
}

// ---- grammar ----

struct Value {
    double value = 0;
    bool isPercent = false;

    double scaled() const { return isPercent ? value / 100.0 : value; }
};

class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens) : m_tokens(tokens) {}

    bool atEnd() const { return m_position >= m_tokens.size(); }

    // Sum of terms; a percentage term adds or subtracts that share of the running total.
    Value expression()
    {
        double total = term().scaled();
        while (peekIs(TokenType::plus) || peekIs(TokenType::minus)) {
            const bool adding = next().type == TokenType::plus;
            const Value operand = term();
            const double amount = operand.isPercent ? total * (operand.value / 100.0) : operand.value;
            total = adding ? total + amount : total - amount;
        }
        return Value{total, false};
    }

private:
    // Products and quotients; "(" right after an operand multiplies.
    Value term()
    {
        Value left = power();
        while (true) {
            bool dividing = false;
            if (peekIs(TokenType::multiply) || peekIs(TokenType::divide)) {
                dividing = next().type == TokenType::divide;
            } else if (!peekIs(TokenType::leftParen)) {
                break;
            }
            const double lhs = left.scaled();
            const double rhs = power().scaled();
            if (dividing && std::fabs(rhs) <= 1e-15) {
                fail(Kind::divisionByZero);
            }
            left = Value{dividing ? lhs / rhs : lhs * rhs, false};
        }
        return left;
    }

    // Right-associative: a ^ b ^ c is a ^ (b ^ c). Folded from the right rather than by recursion,
    // so a long chain cannot exhaust the stack.
    Value power()
    {
        std::vector<Value> operands{unary()};
        while (peekIs(TokenType::power)) {
            next();
            operands.push_back(unary());
        }
        Value result = operands.back();
        for (auto it = operands.rbegin() + 1; it != operands.rend(); ++it) {
            result = Value{std::pow(it->scaled(), result.scaled()), false};
        }
        return result;
    }

    // Signs bind tighter than "^": -2^2 is 4. Counted rather than recursed for the same reason.
    Value unary()
    {
        bool negate = false;
        while (peekIs(TokenType::minus) || peekIs(TokenType::plus)) {
            if (next().type == TokenType::minus) {
                negate = !negate;
            }
        }
        Value value = primary();
        if (negate) {
            value.value = -value.value;
        }
        return value;
    }

    Value primary()
    {
        if (atEnd()) {
            fail(Kind::unexpectedToken);
        }
        const Token token = next();
        if (token.type == TokenType::number) {
            return Value{token.value, token.isPercent};
        }
        if (token.type != TokenType::leftParen) {
            fail(Kind::unexpectedToken);
        }
        // Nesting is the one recursion left; no real expression comes near this depth.
        if (++m_depth > maximumDepth) {
            fail(Kind::unexpectedToken);
        }
        const Value inner = expression();
        --m_depth;
        if (atEnd() || next().type != TokenType::rightParen) {
            fail(Kind::unmatchedParenthesis);
        }
        if (peekIs(TokenType::percent)) {
            next();
            return Value{inner.value, true};
        }
        return inner;
    }

    bool peekIs(TokenType type) const { return !atEnd() && m_tokens[m_position].type == type; }
    const Token& next() { return m_tokens[m_position++]; }

    static constexpr int maximumDepth = 200;
    const std::vector<Token>& m_tokens;
    size_t m_position = 0;
    int m_depth = 0;
};

QString fixed(double value, int decimals)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ec == std::errc() ? result.ptr - buffer : 0);
}

bool isWhole(double value)
{
    return value == std::round(value);
}
} // namespace

ZubMathEvaluator::MathError::MathError(Kind kind, QString character)
    : QuorError(describe(kind, character), QString()), m_kind(kind), m_character(std::move(character))
{
}

ZubMathEvaluator::EvaluationOutput ZubMathEvaluator::evaluate(const QString& expression)
{
    QString text = expression.trimmed();
    if (text.endsWith(u'=')) {
        text.chop(1);
        text = text.trimmed();
    }
    if (text.isEmpty()) {
        fail(Kind::emptyExpression);
    }
    const std::vector<Token> tokens = tokenize(text);
    if (tokens.empty()) {
        fail(Kind::emptyExpression);
    }
    Parser parser(tokens);
    double value = parser.expression().value;
    if (!parser.atEnd()) {
        fail(Kind::unexpectedToken);
    }
    if (!std::isfinite(value)) {
        fail(Kind::nonFiniteResult);
    }
    if (std::fabs(value) < 1e-12) {
        value = 0.0;
    }
    return EvaluationOutput{value, formatNumber(value)};
}

QString ZubMathEvaluator::formatNumber(double value)
{
    if (value == 0.0) {
        value = 0.0; // -0 is zero
    }
    if (isWhole(value) && std::fabs(value) < 1e15) {
        return fixed(value, 0);
    }
    double rounded = std::round(value * 1e6) / 1e6;
    // Near the top of the double range the scaling overflows; such a value has no sixth decimal
    // to round anyway.
    if (!std::isfinite(rounded)) {
        rounded = value;
    }
    // A small negative value rounds to -0, which would print (and be pasted) as "-0".
    if (rounded == 0.0) {
        rounded = 0.0;
    }
    if (isWhole(rounded) && std::fabs(rounded) < 1e15) {
        return fixed(rounded, 0);
    }
    QString text = fixed(rounded, 6);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.'))) {
        text.chop(1);
    }
    return text;
}
